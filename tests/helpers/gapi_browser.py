#!/usr/bin/env python3
"""The web browser of the helper tests: opens the consent page of the stand-in, which redirects
to the helper's loopback listener with the code, and follows that redirect as a browser would."""
import sys
import urllib.request

try:
    urllib.request.urlopen(sys.argv[1], timeout=30).read()
except Exception as e:  # the helper's answer page is all that matters; errors show in its test
    print("browser:", e, file=sys.stderr)
