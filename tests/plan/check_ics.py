#!/usr/bin/python3
"""Checks a calendar of orbisk-predict against the CSV records of the same
search: it parses as iCalendar (python3-icalendar), every line ends in CRLF
and holds at most 75 octets, UIDs are unique, and each event's start (and a
pass's end) is the record's time.

usage: check_ics.py MODE ICS CSV [ICS-AGAIN]"""
import csv
import datetime
import sys

import icalendar


def fail(message):
    print(message)
    sys.exit(1)


def main():
    mode, ics_path, csv_path = sys.argv[1:4]
    raw = open(ics_path, 'rb').read()
    if not raw.endswith(b'\r\n'):
        fail('the file does not end in CRLF')
    lines = raw.split(b'\r\n')[:-1]
    for n, line in enumerate(lines, 1):
        if b'\n' in line or b'\r' in line:
            fail('line %d has a bare line end' % n)
        if len(line) > 75:
            fail('line %d has %d octets' % (n, len(line)))
        line.decode('utf-8')  # folding never splits a character
    cal = icalendar.Calendar.from_ical(raw)
    events = [c for c in cal.walk() if c.name == 'VEVENT']
    rows = list(csv.DictReader(open(csv_path, newline='', encoding='utf-8')))
    if len(events) != len(rows):
        fail('%d events for %d records' % (len(events), len(rows)))
    if not rows:
        fail('nothing to compare')

    def iso(value):
        dt = value.dt
        if dt.tzinfo is None or dt.utcoffset() != datetime.timedelta(0):
            fail('not a UTC time: %r' % (dt,))
        return dt.strftime('%Y-%m-%dT%H:%M:%SZ')

    uids = [str(e['UID']) for e in events]
    if len(set(uids)) != len(uids):
        fail('UIDs repeat')
    starts = sorted((iso(e['DTSTART']), iso(e['DTEND']), str(e['SUMMARY'])) for e in events)
    key = 'aos_time' if mode == 'line' else 'time'
    # Each record has its own event: same start (and end), summary opening
    # with its satellite; passes of two satellites may start the same second.
    left = list(starts)
    for row in rows:
        name = row['satellite'].strip()
        same = [e for e in left if e[0] == row[key] and e[2].startswith(name)]
        if not same:
            fail('no event at %s for %r' % (row[key], name))
        if mode == 'line':
            ends = [e for e in same if e[1] == row['los_time']]
            if not ends:
                fail('event ends %s, record at %s' % (same[0][1], row['los_time']))
            same = ends
        left.remove(same[0])
    for e in events:
        for field in ('DTSTAMP', 'GEO', 'DESCRIPTION'):
            if field not in e:
                fail('an event without ' + field)
    if len(sys.argv) > 4:
        again = icalendar.Calendar.from_ical(open(sys.argv[4], 'rb').read())
        if sorted(str(e['UID']) for e in again.walk() if e.name == 'VEVENT') != sorted(uids):
            fail('a second export has other UIDs')
    print('%d events agree' % len(events))


main()
