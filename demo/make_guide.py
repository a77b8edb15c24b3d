#!/usr/bin/env python3
"""Writes the demo catalogue's programme guide (XMLTV) to standard output.

Every TV channel of demo/tables/tv.dat gets programmes from a day before now to two days
ahead, 30 to 120 minutes long, in its own repeating schedule; a guide channel's display-name
is the catalogue channel's name, which is how the service matches them. The times depend on
the moment the script runs, so the service imports a fresh guide whenever it starts.

    python3 demo/make_guide.py [--now UTC_SECONDS] [--tables DIR] > guide.xml
"""
import argparse
import os
import time
from xml.sax.saxutils import escape, quoteattr

SHOWS = [
    ("Morning Pattern", "Bars, tones and the test card, live.", "Technology", 30),
    ("News at the Hour", "Headlines from the studio.", "News", 30),
    ("Colour Documentary", "How colour bars came to be.", "Documentary", 60),
    ("Sine & Square", "A concert of pure tones.", "Music", 90),
    ("Late Film: The Long Beep", "A beep, a square and a journey.", "Film", 120),
    ("Weather", "Sunny over the test card.", "News", 30),
    ("Quiz of Frequencies", "Which tone is 440 Hz?", "Entertainment", 60),
]


def xmltv_time(seconds):
    return time.strftime("%Y%m%d%H%M%S +0000", time.gmtime(seconds))


def channel_names(tables):
    with open(os.path.join(tables, "tv.dat"), encoding="utf-8-sig") as f:
        for line in f:
            fields = line.rstrip("\r\n").split("|")
            if len(fields) > 2:
                yield fields[0], fields[1]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--now", type=int, default=int(time.time()))
    parser.add_argument("--tables", default=os.path.join(here, "tables"))
    args = parser.parse_args()
    day = 24 * 3600
    # Whole half hours, so the schedule reads naturally.
    begin = (args.now - day) // 1800 * 1800
    end = args.now + 2 * day
    out = ['<?xml version="1.0" encoding="UTF-8"?>', '<tv generator-info-name="vistrel demo">']
    channels = list(channel_names(args.tables))
    for channel_id, name in channels:
        out.append('  <channel id=%s><display-name>%s</display-name></channel>'
                   % (quoteattr("demo." + channel_id), escape(name)))
    for channel_id, _ in channels:
        start = begin
        index = int(channel_id)
        while start < end:
            title, desc, category, minutes = SHOWS[index % len(SHOWS)]
            stop = start + minutes * 60
            out.append('  <programme start="%s" stop="%s" channel=%s>' %
                       (xmltv_time(start), xmltv_time(stop), quoteattr("demo." + channel_id)))
            out.append('    <title lang="en">%s</title>' % escape(title))
            out.append('    <desc lang="en">%s</desc>' % escape(desc))
            out.append('    <category lang="en">%s</category>' % escape(category))
            out.append('  </programme>')
            start = stop
            index += 1
    out.append('</tv>')
    print("\n".join(out))


if __name__ == "__main__":
    main()
