#!/usr/bin/env python3
"""A local stand-in of Google's OAuth endpoints, People API and Calendar API for the helper tests.

It answers with the documented request and response shapes, for the calls the helpers make:
  OAuth    GET /auth (consent: redirects to the loopback with a code), POST /token (code with
           PKCE S256, refresh), GET /userinfo
  People   GET /v1/contactGroups, POST /v1/contactGroups, GET /v1/people/me/connections,
           POST /v1/people:batchCreateContacts, POST /v1/people:createContact,
           GET /v1/people:batchGet, POST /v1/people:batchUpdateContacts,
           PATCH /v1/people/{id}:updateContact
  Calendar GET /calendar/v3/calendars/primary, GET .../events, POST .../events/import,
           GET and PATCH .../events/{id} (If-Match)
Test controls (no authorisation): POST /_control (settings), POST /_seed, POST /_touch (a
change "in Google": new etag), GET /_stats, GET /_dump.

Usage: gapi_standin.py PORT_FILE   (listens on 127.0.0.1, a free port, written to PORT_FILE)
"""
import base64
import hashlib
import itertools
import json
import secrets
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

MAX_BATCH = 200
LOCK = threading.Lock()
IDS = itertools.count(1)

STATE = {
    "control": {
        "page_size": 1000,          # largest page any list answers with
        "rate_limit_every": 0,      # every n-th API request is refused for its rate (0: never)
        "consent_email": "",        # the account that consents ("": the login hint)
        "deny_consent": False,
        "time_zone": "Europe/London",
        "fail_given_name": "",      # a person with this given name is refused (400)
        "lose_create_answers": 0,   # so many batch creates make their people, then answer 503
    },
    "codes": {},           # code -> {challenge, redirect_uri, client_id, email}
    "refresh": {},         # refresh token -> email
    "access": {},          # access token -> email
    "email": "",           # the signed-in account
    "people": {},          # resourceName -> person
    "order": [],           # resourceNames in creation order
    "groups": {
        "contactGroups/myContacts": {"resourceName": "contactGroups/myContacts",
                                     "name": "myContacts", "formattedName": "My Contacts",
                                     "groupType": "SYSTEM_CONTACT_GROUP"},
        "contactGroups/starred": {"resourceName": "contactGroups/starred", "name": "starred",
                                  "formattedName": "Starred", "groupType": "SYSTEM_CONTACT_GROUP"},
    },
    "events": {},          # id -> event
    "event_order": [],
    "uids": {},            # iCalUID -> id
    "stats": {"requests": 0, "by": {}, "rate_limited": 0, "max_batch": 0},
}


def now_stamp():
    return time.strftime("%Y-%m-%dT%H:%M:%S.000Z", time.gmtime())


def new_etag():
    return "%" + secrets.token_urlsafe(12)


def google_error(code, status, message, reason=None):
    err = {"code": code, "message": message, "status": status}
    if reason:
        err["errors"] = [{"domain": "global", "reason": reason, "message": message}]
    return {"error": err}


def display_name(person):
    for n in person.get("names", []):
        parts = [n.get(k, "") for k in ("givenName", "middleName", "familyName")]
        text = " ".join(p for p in parts if p) or n.get("unstructuredName", "")
        n["displayName"] = text
        n.setdefault("metadata", {"primary": True, "source": {"type": "CONTACT"}})


def stamp_person(person, rn):
    person["resourceName"] = rn
    person["etag"] = new_etag()
    person["metadata"] = {"sources": [{"type": "CONTACT", "id": rn.split("/")[1],
                                       "etag": person["etag"], "updateTime": now_stamp()}],
                          "objectType": "PERSON"}
    display_name(person)


def person_view(person, fields):
    if not fields:
        return dict(person)
    keep = set(fields.split(",")) | {"resourceName", "etag"}
    return {k: v for k, v in person.items() if k in keep}


def page(items, token, size):
    start = int(token) if token else 0
    chunk = items[start:start + size]
    nxt = str(start + size) if start + size < len(items) else None
    return chunk, nxt


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    disable_nagle_algorithm = True  # one small answer after another: no 40 ms stalls

    def log_message(self, *args):
        pass

    # --- plumbing ---------------------------------------------------------------------------
    def reply(self, code, body=None, headers=None):
        data = b"" if body is None else json.dumps(body).encode()
        self.send_response(code)
        for k, v in (headers or {}).items():
            self.send_header(k, v)
        if body is not None:
            self.send_header("Content-Type", "application/json; charset=UTF-8")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def body(self):
        return self._body

    def json_body(self):
        try:
            return json.loads(self.body() or b"{}")
        except ValueError:
            return None

    def split(self):
        u = urllib.parse.urlsplit(self.path)
        return u.path, urllib.parse.parse_qs(u.query, keep_blank_values=True)

    def authorised(self):
        auth = self.headers.get("Authorization", "")
        token = auth[7:] if auth.startswith("Bearer ") else ""
        if token not in STATE["access"]:
            self.reply(401, google_error(401, "UNAUTHENTICATED",
                                         "Request had invalid authentication credentials."))
            return False
        return True

    def count(self, name):
        st = STATE["stats"]
        st["requests"] += 1
        st["by"][name] = st["by"].get(name, 0) + 1

    def rate_limited(self, calendar):
        every = STATE["control"]["rate_limit_every"]
        if not every or STATE["stats"]["requests"] % every:
            return False
        # A request refused once goes through when it comes again: retries fired together after
        # a pause arrive in the same order, and a fixed rhythm could refuse one of them for ever.
        key = (self.path, self._body)
        refused = STATE.setdefault("refused", set())
        if key in refused:
            refused.discard(key)
            return False
        refused.add(key)
        STATE["stats"]["rate_limited"] += 1
        if calendar:
            self.reply(403, google_error(403, "PERMISSION_DENIED", "Rate Limit Exceeded",
                                         "rateLimitExceeded"))
        else:
            self.reply(429, google_error(429, "RESOURCE_EXHAUSTED",
                                         "Quota exceeded for quota metric 'Critical write requests'"),
                       {"Retry-After": "0"})
        return True

    # --- verbs ------------------------------------------------------------------------------
    def do_GET(self):
        with LOCK:
            self.route("GET")

    def do_POST(self):
        with LOCK:
            self.route("POST")

    def do_PATCH(self):
        with LOCK:
            self.route("PATCH")

    def route(self, method):
        # Read whole before any answer, so that a refusal leaves the connection in step.
        n = int(self.headers.get("Content-Length") or 0)
        self._body = self.rfile.read(n) if n else b""
        path, q = self.split()
        if path.startswith("/_"):
            return self.control(method, path)
        if path == "/auth" and method == "GET":
            return self.auth(q)
        if path == "/token" and method == "POST":
            return self.token()
        if not self.authorised():
            return
        if path == "/userinfo":
            return self.reply(200, {"sub": "1", "email": STATE["email"], "email_verified": True})
        calendar = path.startswith("/calendar/")
        self.count(method + " " + path.split("?")[0].rsplit("/", 1)[-1].split(":")[-1])
        if self.rate_limited(calendar):
            return
        if calendar:
            return self.calendar(method, path[len("/calendar/v3/"):], q)
        if path.startswith("/v1/"):
            return self.people(method, path[len("/v1/"):], q)
        self.reply(404, google_error(404, "NOT_FOUND", "No such method."))

    # --- test controls ----------------------------------------------------------------------
    def control(self, method, path):
        if path == "/_control" and method == "POST":
            STATE["control"].update(self.json_body() or {})
            if self.headers.get("X-Expire-Tokens"):
                STATE["access"].clear()
            return self.reply(200, STATE["control"])
        if path == "/_expire" and method == "POST":
            STATE["access"].clear()
            return self.reply(200, {})
        if path == "/_stats":
            st = dict(STATE["stats"])
            st["people"] = len(STATE["people"])
            st["events"] = len(STATE["events"])
            st["refresh_tokens"] = len(STATE["refresh"])
            return self.reply(200, st)
        if path == "/_dump":
            return self.reply(200, {"people": [STATE["people"][r] for r in STATE["order"]],
                                    "groups": list(STATE["groups"].values()),
                                    "events": [STATE["events"][i] for i in STATE["event_order"]]})
        if path == "/_seed" and method == "POST":
            data = self.json_body() or {}
            for p in data.get("people", []):
                rn = "people/c%d" % next(IDS)
                stamp_person(p, rn)
                STATE["people"][rn] = p
                STATE["order"].append(rn)
            for e in data.get("events", []):
                self.store_event(e, e.get("iCalUID") or secrets.token_hex(8) + "@google.com")
            return self.reply(200, {})
        if path == "/_touch" and method == "POST":
            data = self.json_body() or {}
            if data.get("resourceName") in STATE["people"]:
                p = STATE["people"][data["resourceName"]]
                p["etag"] = new_etag()
                p["metadata"]["sources"][0]["etag"] = p["etag"]
            if data.get("eventId") in STATE["events"]:
                STATE["events"][data["eventId"]]["etag"] = '"%d"' % next(IDS)
            return self.reply(200, {})
        self.reply(404, {})

    # --- OAuth ------------------------------------------------------------------------------
    def auth(self, q):
        get = lambda k: (q.get(k) or [""])[0]
        redirect = get("redirect_uri")
        if get("response_type") != "code" or get("code_challenge_method") != "S256" \
                or not get("code_challenge") or not redirect.startswith("http://127.0.0.1:"):
            return self.reply(400, {"error": "invalid_request"})
        ctl = STATE["control"]
        if ctl["deny_consent"]:
            target = redirect + "?" + urllib.parse.urlencode(
                {"error": "access_denied", "state": get("state")})
        else:
            code = secrets.token_urlsafe(16)
            STATE["codes"][code] = {"challenge": get("code_challenge"), "redirect": redirect,
                                    "client": get("client_id"),
                                    "email": ctl["consent_email"] or get("login_hint")}
            target = redirect + "?" + urllib.parse.urlencode(
                {"code": code, "state": get("state"), "scope": get("scope")})
        self.send_response(302)
        self.send_header("Location", target)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def token(self):
        form = {k: v[0] for k, v in urllib.parse.parse_qs(self.body().decode()).items()}
        grant = form.get("grant_type")
        if grant == "authorization_code":
            entry = STATE["codes"].pop(form.get("code", ""), None)
            if not entry:
                return self.reply(400, {"error": "invalid_grant", "error_description": "Bad code"})
            digest = hashlib.sha256(form.get("code_verifier", "").encode()).digest()
            challenge = base64.urlsafe_b64encode(digest).decode().rstrip("=")
            if challenge != entry["challenge"] or form.get("redirect_uri") != entry["redirect"] \
                    or form.get("client_id") != entry["client"]:
                return self.reply(400, {"error": "invalid_grant",
                                        "error_description": "Missing code verifier."})
            refresh = "1//" + secrets.token_urlsafe(24)
            STATE["refresh"][refresh] = entry["email"]
            STATE["email"] = entry["email"]
            return self.reply(200, self.access(entry["email"], refresh))
        if grant == "refresh_token":
            email = STATE["refresh"].get(form.get("refresh_token", ""))
            if not email:
                return self.reply(400, {"error": "invalid_grant",
                                        "error_description": "Token has been expired or revoked."})
            STATE["email"] = email
            return self.reply(200, self.access(email, None))
        self.reply(400, {"error": "unsupported_grant_type"})

    def access(self, email, refresh):
        token = "ya29." + secrets.token_urlsafe(24)
        STATE["access"][token] = email
        out = {"access_token": token, "expires_in": 3599, "token_type": "Bearer",
               "scope": "openid email https://www.googleapis.com/auth/contacts "
                        "https://www.googleapis.com/auth/calendar"}
        if refresh:
            out["refresh_token"] = refresh
        return out

    # --- People API -------------------------------------------------------------------------
    def people(self, method, path, q):
        get = lambda k: (q.get(k) or [""])[0]
        ctl = STATE["control"]
        if path == "contactGroups" and method == "GET":
            groups = list(STATE["groups"].values())
            size = min(int(get("pageSize") or 30), ctl["page_size"])
            chunk, nxt = page(groups, get("pageToken"), size)
            out = {"contactGroups": chunk, "totalItems": len(groups)}
            if nxt:
                out["nextPageToken"] = nxt
            return self.reply(200, out)
        if path == "contactGroups" and method == "POST":
            name = ((self.json_body() or {}).get("contactGroup") or {}).get("name", "")
            if any(g["name"] == name for g in STATE["groups"].values()):
                return self.reply(409, google_error(409, "ALREADY_EXISTS", "Contact group name already exists."))
            rn = "contactGroups/%x" % next(IDS)
            g = {"resourceName": rn, "etag": new_etag(), "name": name, "formattedName": name,
                 "groupType": "USER_CONTACT_GROUP"}
            STATE["groups"][rn] = g
            return self.reply(200, g)
        if path == "people/me/connections" and method == "GET":
            if not get("personFields"):
                return self.reply(400, google_error(400, "INVALID_ARGUMENT", "personFields mask is required."))
            size = min(int(get("pageSize") or 100), ctl["page_size"], 1000)
            rns, nxt = page(STATE["order"], get("pageToken"), size)
            out = {"connections": [person_view(STATE["people"][r], get("personFields")) for r in rns],
                   "totalPeople": len(STATE["order"]), "totalItems": len(STATE["order"])}
            if nxt:
                out["nextPageToken"] = nxt
            return self.reply(200, out)
        if path == "people:batchCreateContacts" and method == "POST":
            data = self.json_body() or {}
            contacts = data.get("contacts") or []
            STATE["stats"]["max_batch"] = max(STATE["stats"]["max_batch"], len(contacts))
            if len(contacts) > MAX_BATCH or not data.get("readMask"):
                return self.reply(400, google_error(400, "INVALID_ARGUMENT",
                                                   "Too many contacts or no read mask."))
            for c in contacts:
                if self.refused(c.get("contactPerson") or {}):
                    return self.reply(400, google_error(400, "INVALID_ARGUMENT", "Invalid person."))
            created = [{"httpStatusCode": 200, "status": {},
                        "person": person_view(self.create(c.get("contactPerson") or {}),
                                              data["readMask"])} for c in contacts]
            if STATE["control"]["lose_create_answers"] > 0:
                STATE["control"]["lose_create_answers"] -= 1
                return self.reply(503, google_error(503, "UNAVAILABLE", "The service is unavailable."))
            return self.reply(200, {"createdPeople": created})
        if path == "people:createContact" and method == "POST":
            person = self.json_body() or {}
            if self.refused(person):
                return self.reply(400, google_error(400, "INVALID_ARGUMENT", "Invalid person."))
            return self.reply(200, person_view(self.create(person), get("personFields")))
        if path == "people:batchGet" and method == "GET":
            names = q.get("resourceNames") or []
            STATE["stats"]["max_batch"] = max(STATE["stats"]["max_batch"], len(names))
            if len(names) > MAX_BATCH or not get("personFields"):
                return self.reply(400, google_error(400, "INVALID_ARGUMENT", "Too many resource names."))
            out = []
            for rn in names:
                p = STATE["people"].get(rn)
                if p:
                    out.append({"httpStatusCode": 200, "requestedResourceName": rn,
                                "person": person_view(p, get("personFields"))})
                else:
                    out.append({"httpStatusCode": 404, "requestedResourceName": rn,
                                "status": {"code": 5, "message": "Not found."}})
            return self.reply(200, {"responses": out})
        if path == "people:batchUpdateContacts" and method == "POST":
            data = self.json_body() or {}
            contacts = data.get("contacts") or {}
            STATE["stats"]["max_batch"] = max(STATE["stats"]["max_batch"], len(contacts))
            if len(contacts) > MAX_BATCH or not data.get("updateMask") or not data.get("readMask"):
                return self.reply(400, google_error(400, "INVALID_ARGUMENT", "Bad batch."))
            for rn, p in contacts.items():
                cur = STATE["people"].get(rn)
                if not cur:
                    return self.reply(404, google_error(404, "NOT_FOUND", "Not found: " + rn))
                if p.get("etag") != cur["etag"]:
                    return self.reply(400, google_error(
                        400, "FAILED_PRECONDITION",
                        "Request person.etag is different than the current person.etag. "
                        "Clear local cache and get the latest person."))
            result = {}
            for rn, p in contacts.items():
                result[rn] = {"httpStatusCode": 200,
                              "person": person_view(self.update(rn, p, data["updateMask"]),
                                                    data["readMask"])}
            return self.reply(200, {"updateResult": result})
        if path.endswith(":updateContact") and method == "PATCH":
            rn = path[:-len(":updateContact")]
            p = self.json_body() or {}
            cur = STATE["people"].get(rn)
            if not cur:
                return self.reply(404, google_error(404, "NOT_FOUND", "Not found."))
            if not get("updatePersonFields"):
                return self.reply(400, google_error(400, "INVALID_ARGUMENT", "updatePersonFields is required."))
            if p.get("etag") != cur["etag"]:
                return self.reply(400, google_error(
                    400, "FAILED_PRECONDITION",
                    "Request person.etag is different than the current person.etag."))
            if self.refused(p):
                return self.reply(400, google_error(400, "INVALID_ARGUMENT", "Invalid person."))
            return self.reply(200, person_view(self.update(rn, p, get("updatePersonFields")),
                                               get("personFields")))
        self.reply(404, google_error(404, "NOT_FOUND", "No such method."))

    def refused(self, person):
        bad = STATE["control"]["fail_given_name"]
        return bad and any(n.get("givenName") == bad for n in person.get("names", []))

    def create(self, person):
        rn = "people/c%d" % next(IDS)
        person = json.loads(json.dumps(person))
        person.setdefault("memberships", []).append(
            {"contactGroupMembership": {"contactGroupResourceName": "contactGroups/myContacts"}})
        stamp_person(person, rn)
        STATE["people"][rn] = person
        STATE["order"].append(rn)
        return person

    def update(self, rn, person, mask):
        cur = STATE["people"][rn]
        for field in mask.split(","):
            if field in person:
                cur[field] = person[field]
            else:
                cur.pop(field, None)  # as Google does: a masked field that is absent is cleared
        etag = new_etag()
        cur["etag"] = etag
        cur["metadata"]["sources"][0].update({"etag": etag, "updateTime": now_stamp()})
        display_name(cur)
        return cur

    # --- Calendar API -----------------------------------------------------------------------
    def calendar(self, method, path, q):
        get = lambda k: (q.get(k) or [""])[0]
        ctl = STATE["control"]
        if path == "calendars/primary" and method == "GET":
            return self.reply(200, {"kind": "calendar#calendar", "etag": '"1"', "id": STATE["email"],
                                    "summary": STATE["email"], "timeZone": ctl["time_zone"]})
        base = "calendars/primary/events"
        if path == base and method == "GET":
            if get("singleEvents") == "true":
                return self.reply(400, google_error(400, "INVALID_ARGUMENT", "Not in the stand-in."))
            size = min(int(get("maxResults") or 250), ctl["page_size"], 2500)
            ids, nxt = page(STATE["event_order"], get("pageToken"), size)
            out = {"kind": "calendar#events", "timeZone": ctl["time_zone"],
                   "items": [STATE["events"][i] for i in ids]}
            if nxt:
                out["nextPageToken"] = nxt
            return self.reply(200, out)
        if path == base + "/import" and method == "POST":
            e = self.json_body() or {}
            if not e.get("iCalUID") or "start" not in e or "end" not in e:
                return self.reply(400, google_error(400, "INVALID_ARGUMENT", "Missing iCalUID, start or end.",
                                                    "required"))
            return self.reply(200, self.store_event(e, e["iCalUID"]))
        if path.startswith(base + "/"):
            eid = urllib.parse.unquote(path[len(base) + 1:])
            cur = STATE["events"].get(eid)
            if not cur:
                return self.reply(404, google_error(404, "NOT_FOUND", "Not Found", "notFound"))
            if method == "GET":
                return self.reply(200, cur)
            if method == "PATCH":
                match = self.headers.get("If-Match")
                if match and match != cur["etag"]:
                    return self.reply(412, google_error(412, "FAILED_PRECONDITION", "Precondition Failed",
                                                        "conditionNotMet"))
                patch = self.json_body() or {}
                merge(cur, patch)
                cur["etag"] = '"%d"' % next(IDS)
                cur["updated"] = now_stamp()
                return self.reply(200, cur)
        self.reply(404, google_error(404, "NOT_FOUND", "Not Found", "notFound"))

    def store_event(self, e, uid):
        # An import of a known UID replaces that event: a re-run never duplicates.
        eid = STATE["uids"].get(uid)
        if eid:
            cur = STATE["events"][eid]
            keep = {k: cur[k] for k in ("id", "created", "htmlLink")}
            cur.clear()
            cur.update(e)
            cur.update(keep)
            cur.update({"etag": '"%d"' % next(IDS), "updated": now_stamp(), "iCalUID": uid,
                        "kind": "calendar#event"})
            cur.setdefault("status", "confirmed")
            return cur
        eid = secrets.token_hex(13)
        ev = dict(e)
        ev.update({"kind": "calendar#event", "id": eid, "etag": '"%d"' % next(IDS), "iCalUID": uid,
                   "created": now_stamp(), "updated": now_stamp(),
                   "htmlLink": "https://calendar.example/event?eid=" + eid})
        ev.setdefault("status", "confirmed")
        STATE["events"][eid] = ev
        STATE["uids"][uid] = eid
        STATE["event_order"].append(eid)
        return ev


def merge(target, patch):
    # Patch semantics: objects merge key by key, everything else (arrays too) is replaced.
    for k, v in patch.items():
        if isinstance(v, dict) and isinstance(target.get(k), dict):
            merge(target[k], v)
        else:
            target[k] = v


def main():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    with open(sys.argv[1] + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    import os
    os.replace(sys.argv[1] + ".tmp", sys.argv[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
