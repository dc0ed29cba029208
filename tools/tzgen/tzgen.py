#!/usr/bin/env python3
"""Generates common/google/GTimeZones.cpp, the time-zone table of the Google calendar connector.

Run by hand after a tzdata update and commit the result; the build never runs this script.

    python3 tools/tzgen/tzgen.py [--zoneinfo /usr/share/zoneinfo] [--out common/google/GTimeZones.cpp]

Each VTIMEZONE describes the zone's current rule only (the POSIX TZ string in the footer of its
version 2+ TZif file), in the compact form older calendar programs exchange: DTSTART in 1970 and
one yearly RRULE per component, no history.

Which zones: the canonical zones of zone1970.tab, minus the zones whose explicit transitions run
past January 2038. For a zone a POSIX rule describes, zic writes explicit transitions no later than
the 32-bit limit (2038-01-19), so a later one means the zone's future is a list (Morocco and
Palestine move their clocks around Ramadan) that no single yearly rule pair can express; a
VTIMEZONE for them would be an hour off for weeks every year. With tzdata 2025b this leaves exactly the 308 zones the table must hold. If a
tzdata update changes that number the script stops: the row count is part of the contract, so the
selection has to be revisited by hand.
"""

import argparse
import datetime
import os
import struct
import sys

ROW_COUNT = 308
# zic writes explicit transitions no later than this when a POSIX rule covers the future.
LAST_RULE_COVERED_TIME = 2**31 - 1
CRLF = "\r\n"
DAY_CODES = ["SU", "MO", "TU", "WE", "TH", "FR", "SA"]
NOTES = []


class TzError(Exception):
    pass


# ---------------------------------------------------------------------------------------------
# TZif


def read_tzif(path):
    """Returns (list of transition times in UTC seconds, POSIX footer string)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"TZif" or data[4] not in b"23":
        raise TzError("%s: not a version 2+ TZif file" % path)

    def counts(offset):
        return struct.unpack(">6l", data[offset + 20 : offset + 44])

    isut, isstd, leap, timecnt, typecnt, charcnt = counts(0)
    v1_size = timecnt * 5 + typecnt * 6 + charcnt + leap * 8 + isstd + isut
    head2 = 44 + v1_size
    if data[head2 : head2 + 4] != b"TZif":
        raise TzError("%s: second header missing" % path)
    isut, isstd, leap, timecnt, typecnt, charcnt = counts(head2)
    body = head2 + 44
    times = list(struct.unpack(">%dq" % timecnt, data[body : body + timecnt * 8]))
    v2_size = timecnt * 9 + typecnt * 6 + charcnt + leap * 12 + isstd + isut
    footer = data[body + v2_size :]
    if not footer.startswith(b"\n") or footer.count(b"\n") < 2:
        raise TzError("%s: footer missing" % path)
    return times, footer[1 : footer.index(b"\n", 1)].decode("ascii")


# ---------------------------------------------------------------------------------------------
# POSIX TZ strings


class Cursor:
    def __init__(self, text):
        self.text = text
        self.pos = 0

    def peek(self):
        return self.text[self.pos] if self.pos < len(self.text) else ""

    def take(self, ch):
        if self.peek() == ch:
            self.pos += 1
            return True
        return False

    def digits(self):
        start = self.pos
        while self.peek().isdigit():
            self.pos += 1
        if start == self.pos:
            raise TzError("number expected in %r at %d" % (self.text, start))
        return int(self.text[start : self.pos])

    def abbreviation(self):
        if self.take("<"):
            end = self.text.index(">", self.pos)
            name = self.text[self.pos : end]
            self.pos = end + 1
            return name
        start = self.pos
        while self.peek().isalpha():
            self.pos += 1
        if self.pos - start < 3:
            raise TzError("abbreviation expected in %r" % self.text)
        return self.text[start : self.pos]

    def hms(self):
        """[+|-]hh[:mm[:ss]] in seconds."""
        sign = -1 if self.take("-") else 1
        if sign == 1:
            self.take("+")
        seconds = self.digits() * 3600
        if self.take(":"):
            seconds += self.digits() * 60
            if self.take(":"):
                seconds += self.digits()
        return sign * seconds


def parse_date_rule(cur):
    """One of Mm.w.d, Jn, n, each with an optional /time (default 02:00)."""
    if cur.take("M"):
        month = cur.digits()
        cur.take(".") or fail(cur)
        week = cur.digits()
        cur.take(".") or fail(cur)
        day = cur.digits()
        if not (1 <= month <= 12 and 1 <= week <= 5 and 0 <= day <= 6):
            fail(cur)
        rule = ("M", month, week, day)
    elif cur.take("J"):
        rule = ("J", cur.digits())
    else:
        rule = ("n", cur.digits())
    at = cur.hms() if cur.take("/") else 2 * 3600
    return rule, at


def fail(cur):
    raise TzError("cannot parse %r at %d" % (cur.text, cur.pos))


def parse_posix(text):
    """Returns dict with std/dst names and UTC offsets (east positive) and the two rules."""
    cur = Cursor(text)
    tz = {"std": cur.abbreviation()}
    # POSIX offsets count west of Greenwich; iCalendar's count east.
    tz["std_off"] = -cur.hms()
    if not cur.peek():
        return tz
    tz["dst"] = cur.abbreviation()
    tz["dst_off"] = tz["std_off"] + 3600
    if cur.peek() not in (",", ""):
        tz["dst_off"] = -cur.hms()
    if cur.take(","):
        tz["start"] = parse_date_rule(cur)
        cur.take(",") or fail(cur)
        tz["end"] = parse_date_rule(cur)
    else:
        # The rule glibc assumes for a TZ string without dates.
        tz["start"] = (("M", 3, 2, 0), 7200)
        tz["end"] = (("M", 11, 1, 0), 7200)
        NOTES.append("%s: no dates in the rule, US rule assumed" % text)
    if cur.peek():
        fail(cur)
    return tz


# ---------------------------------------------------------------------------------------------
# iCalendar


def format_offset(seconds):
    sign = "-" if seconds < 0 else "+"
    seconds = abs(seconds)
    text = "%s%02d%02d" % (sign, seconds // 3600, seconds // 60 % 60)
    if seconds % 60:
        text += "%02d" % (seconds % 60)
    return text


def month_length(year, month):
    nxt = datetime.date(year + (month == 12), month % 12 + 1, 1)
    return (nxt - datetime.date(year, month, 1)).days


def ical_weekday(date):
    return (date.weekday() + 1) % 7  # Sunday = 0 as in POSIX rules


def first_transition_1970(rule, at):
    """The local date and time of the rule's first transition in 1970."""
    kind = rule[0]
    if kind == "M":
        _, month, week, day = rule
        first = datetime.date(1970, month, 1)
        dom = 1 + (day - ical_weekday(first)) % 7 + 7 * (week - 1)
        if dom > month_length(1970, month):
            dom -= 7
        date = datetime.date(1970, month, dom)
    elif kind == "J":  # 1..365, 29 February never counted; 1970 is not a leap year
        date = datetime.date(1970, 1, 1) + datetime.timedelta(days=rule[1] - 1)
    else:  # 0..365, 29 February counted
        date = datetime.date(1970, 1, 1) + datetime.timedelta(days=rule[1])
    return datetime.datetime.combine(date, datetime.time()) + datetime.timedelta(seconds=at)


def rrule(rule, at, zone):
    """The yearly RRULE for a POSIX date rule whose transition falls at `at` seconds local time."""
    kind = rule[0]
    if kind in ("J", "n"):
        if kind == "n" and rule[1] >= 59:
            NOTES.append("%s: zero-based day %d taken as in a common year" % (zone, rule[1]))
        date = first_transition_1970(rule, at).date()
        return "FREQ=YEARLY;BYMONTH=%d;BYMONTHDAY=%d" % (date.month, date.day)
    _, month, week, day = rule
    shift = at // 86400  # whole days the time carries the transition past its weekday (may be < 0)
    if shift == 0:
        return "FREQ=YEARLY;BYMONTH=%d;BYDAY=%d%s" % (month, -1 if week == 5 else week,
                                                      DAY_CODES[day])
    # "Saturday before the last Sunday": a shifted weekday is a seven-day window of month days.
    weekday = DAY_CODES[(day + shift) % 7]
    NOTES.append("%s: M%d.%d.%d at %+dh written as a window of days" % (zone, month, week, day,
                                                                      at // 3600))
    if month == 2 and week == 5:  # February's length varies; count from its end
        days = range(-7 + shift, shift)
        if days[0] < -28 or days[-1] > -1:
            raise TzError("%s: transition leaves February" % zone)
        return "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=%s;BYDAY=%s" % (join(days), weekday)
    last = month_length(1970, month) if week == 5 else 7 * week
    base = datetime.date(1970, month, last - 6)
    dates = [base + datetime.timedelta(days=i + shift) for i in range(7)]
    if all(d.month == month for d in dates):
        return "FREQ=YEARLY;BYMONTH=%d;BYMONTHDAY=%s;BYDAY=%s" % (
            month, join(d.day for d in dates), weekday)
    # Egypt ends summer time at 24:00 on the last Thursday of October, which can be 1 November.
    # Counted from the year's end, days from March on fall alike in leap and common years.
    if any(d.year != 1970 or d.month < 3 for d in dates):
        raise TzError("%s: transition window crosses the year or February" % zone)
    year_end = datetime.date(1970, 12, 31)
    return "FREQ=YEARLY;BYYEARDAY=%s;BYDAY=%s" % (
        join((d - year_end).days - 1 for d in dates), weekday)


def join(numbers):
    return ",".join(str(n) for n in numbers)


def component(kind, off_from, off_to, name, dtstart, rule=None):
    if dtstart.year != 1970:  # e.g. a rule for summer time all year ("J365/25")
        raise TzError("%s transition outside its year: %s" % (name, dtstart))
    lines = ["BEGIN:" + kind, "TZOFFSETFROM:" + format_offset(off_from),
             "TZOFFSETTO:" + format_offset(off_to), "TZNAME:" + name,
             "DTSTART:" + dtstart.strftime("%Y%m%dT%H%M%S")]
    if rule:
        lines.append("RRULE:" + rule)
    lines.append("END:" + kind)
    return lines


def vtimezone(zone, posix):
    tz = parse_posix(posix)
    lines = ["BEGIN:VTIMEZONE", "TZID:" + zone, "X-LIC-LOCATION:" + zone]
    if "dst" not in tz:
        lines += component("STANDARD", tz["std_off"], tz["std_off"], tz["std"],
                           datetime.datetime(1970, 1, 1))
    else:
        summer, winter = (tz["dst"], tz["dst_off"], tz["start"]), (tz["std"], tz["std_off"], tz["end"])
        if tz["dst_off"] < tz["std_off"]:
            # Ireland's rule calls winter time its daylight time ("negative DST"); calendars take
            # DAYLIGHT for the summer offset, so the roles swap. Rule times stay valid: each is
            # given in the offset in force before its transition, as TZOFFSETFROM is.
            summer, winter = (tz["std"], tz["std_off"], tz["end"]), (tz["dst"], tz["dst_off"],
                                                                     tz["start"])
            NOTES.append("%s: negative DST, STANDARD and DAYLIGHT swapped" % zone)
        # DAYLIGHT first, as in libical's zone files: a reader that looks for the first BYMONTH in
        # an appended VTIMEZONE then finds the start of summer time.
        for kind, (name, off, (rule, at)), prev in (("DAYLIGHT", summer, winter[1]),
                                                     ("STANDARD", winter, summer[1])):
            lines += component(kind, prev, off, name, first_transition_1970(rule, at),
                               rrule(rule, at, zone))
    lines.append("END:VTIMEZONE")
    return CRLF.join(lines)


# ---------------------------------------------------------------------------------------------
# Selection and output


def select_zones(zoneinfo):
    names = set()
    with open(os.path.join(zoneinfo, "zone1970.tab"), encoding="utf-8") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                names.add(line.split("\t")[2].strip())
    rows, dropped = [], []
    for name in sorted(names):
        times, footer = read_tzif(os.path.join(zoneinfo, name))
        if times and times[-1] > LAST_RULE_COVERED_TIME:
            dropped.append(name)
        else:
            rows.append((name, footer))
    return rows, dropped


def tzdata_version(zoneinfo):
    try:
        with open(os.path.join(zoneinfo, "tzdata.zi"), encoding="ascii") as f:
            first = f.readline().split()
            return first[2] if first[:2] == ["#", "version"] else "unknown"
    except OSError:
        return "unknown"


def c_string_lines(text):
    out = []
    for line in text.split(CRLF):
        out.append(line.replace("\\", "\\\\").replace('"', '\\"'))
    return ['"%s\\r\\n"' % l for l in out[:-1]] + ['"%s"' % out[-1]]


def render(rows, version):
    out = ["// Generated by tools/tzgen/tzgen.py from tzdata %s. Do not edit; regenerate." % version,
           "// clang-format off",
           '#include "google/GTimeZones.h"',
           "",
           "static_assert(GTimeZoneCount == %d);" % len(rows),
           "",
           'const char GTimeZoneDataVersion[] = "%s";' % version,
           "",
           "const GTimeZone GTimeZoneTable[GTimeZoneCount + 1] = {"]
    for index, (name, posix) in enumerate(rows):
        if len(name) > 63:
            raise TzError("%s: name longer than 63 characters" % name)
        out.append('{"%s", // %s' % (name, posix))
        text = vtimezone(name, posix)
        out += ["  " + l for l in c_string_lines(text)]
        out[-1] += ","
        out.append("  %d}," % (index + 2))
    out.append('{"EOF", "", %d},' % (len(rows) + 2))
    out.append("};")
    return "\n".join(out) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--zoneinfo", default="/usr/share/zoneinfo")
    parser.add_argument("--out", default=os.path.join(here, "..", "..", "common", "google",
                                                      "GTimeZones.cpp"))
    args = parser.parse_args()
    try:
        rows, dropped = select_zones(args.zoneinfo)
        if len(rows) != ROW_COUNT:
            raise TzError("%d zones selected, the table holds %d; revisit the selection"
                          % (len(rows), ROW_COUNT))
        text = render(rows, tzdata_version(args.zoneinfo))
    except (TzError, OSError) as e:
        sys.exit("tzgen: %s" % e)
    with open(args.out, "w", encoding="ascii", newline="\n") as f:
        f.write(text)
    for name in dropped:
        print("dropped (explicit transitions after 2038): %s" % name)
    for note in sorted(set(NOTES)):
        print("note: " + note)
    print("wrote %d zones to %s" % (len(rows), os.path.normpath(args.out)))


if __name__ == "__main__":
    main()
