#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Zentrova developers
"""Writes the hand-made structure files of the structure tests, byte for byte.

Run once from this folder; the files are committed. They are made here, line
by line from the file layout, and not by the program's writer, so that the
reader and the writer are both checked against an independent picture of the
format.
"""

CRLF = b"\r\n"
MULTIPLIER = 5820417


def seal(family, serial):
    s = (family + 7) * MULTIPLIER + 13 + family
    for j, c in enumerate(serial, 1):
        s += j * c
    s &= 0xFFFFFFFF
    return s - (1 << 32) if s >= 1 << 31 else s


def lines(*items):
    out = []
    for item in items:
        if isinstance(item, (list, tuple)):
            out.extend(item)
        else:
            out.append(item)
    return out


def join(ls):
    return b"".join(l + CRLF for l in ls)


HEADING = [b"Ana Novak", b"Measuring Lab \xe8rni", b"Tel. 01 234 567",
           b"Footer one", b"Footer two", b"Footer three",
           b"Site: House 12", b"Ljubljana", b"Floor 2", b"C:\\logos\\lab.bmp"]
COMMENTS = [b"Comment line %d" % i for i in range(1, 21)]
COMMENTS200 = COMMENTS + [b""] * 5 + [b"Line 26 of the long comments"] + [b""] * 173 + [b"Last line 200"]
AUTOTEST = [b"Auto 1", b"", b"Auto 3", b"", b"Auto 5"]


def header(family=14, v11=True, heading=HEADING, logo=1, comments=COMMENTS, autotest=AUTOTEST,
           checks=b"011", comments2=COMMENTS200, fillers=5):
    h = heading if v11 else [heading[0], heading[1], heading[3], heading[6], heading[7], heading[9]]
    out = [b"*** INSTAL STRUCTURE v11" if v11 else b"*** INSTAL STRUCTURE", str(family).encode()]
    out += h + [str(logo).encode()] + comments + [b""] + autotest + [b""] + [checks] + [b""] * fillers
    if comments2 is not None:
        out += [b"*** COMMENTS2"] + comments2
    out += [b"*** STRUCTURE DATA"]
    return out


IDENT = b"\x02".join([b"TIVE5kV", b"HW 1.02", b"FW 3.10", b"12345678", b"", b"", b"", b""])
TABLE = [
    [b"", IDENT, b"First free text", b"Second free text", b"", b"", b"", b"", b"", b""],
    [b"", b"1\x021\x021", b"House 12\x02Main\x02Outlet 1\x0213,0", b"501", b"aaa\x02bbb", b"", b"", b"x", b"", b""],
    [b"", b"1\x021\x022", b"House 12\x02Main\x02Outlet\x022\x0213,0", b"502", b"5.2", b"", b"", b"", b"", b""],
    [b"", b"1\x022\x021", b"House 12\x02Garage\x02Door\x0213,0", b"503", b"", b"", b"", b"", b"", b"9"],
]
ELEMENTS = [b"Main\t1\t1\t1101", b"Outlet 1\t13\t1\t", b"Outlet\x022\t13\t2\t01",
            b"Garage\t1\t2\t", b"Door\t13\t1\t"]


def table(rows, cols=10):
    out = [b"*** TABLE DATA", str(len(rows)).encode(), str(cols).encode()]
    for r in rows:
        out += r[:cols]
    return out


def report_table(obj, block, rows, sub1=b"", sub2=b""):
    out = [obj, block, str(len(rows)).encode(), str(len(rows[0])).encode(), sub1, sub2]
    for r in rows:
        out += r
    return out


def page(kind, index, values):
    return [b""] * 25 + [b"*** PROTOCOL DATA", str(kind).encode(), str(index).encode()] + values


PAGES = (
    page(1, 1, [b"House 12", b"R-2024/17", b"House 12", b"2", b"TS Vrh", b"Elektro d.o.o.", b"TN-S",
                b"Periodic", b"Tester 5kV", b"Cert 123/2023", b"EN 60364-6", b"Automatic disconnection",
                b"12.03.2024", b"12.03.2028", b"0.45"])
    + page(2, 1, [b"House 12", b"Main", b"R-2024/17", b"1", b"Main", b"Hall", b"Main", b"EN 61439",
                  b"11111111111111111000110100101"])
    + page(5, 1, report_table(b"House 12", b"Main",
                              [[b"Circuit\x02and device", b"Rated\x02current", b"Cross", b"Riso", b"PE", b"Zs",
                                b"Ik", b"In", b"t", b"Uc", b"Re"],
                               [b"", b"A", b"mm2", b"MOhm", b"Ohm", b"Ohm", b"A", b"mA", b"ms", b"V", b"Ohm"],
                               [b"F1 lights", b"10", b"1.5", b">200", b"0.21", b"0.62", b"371", b"", b"", b"", b""],
                               [b"F2\x02sockets", b"16", b"2.5", b">200", b"0.18", b"0.55", b"418", b"30", b"22",
                                b"1.2", b""]],
                              b"Measured with the cover off", b""))
    + report_table(b"House 12", b"Main",
                   [[b"Point", b"PE", b"Earth", b"Riso", b"Utest"],
                    [b"", b"Ohm", b"Ohm", b"MOhm", b"V"],
                    [b"Boiler", b"0.05", b"", b"", b"500"]])
    + page(3, 1, [b"House 12", b"LPS 1"] + [b"s%d" % i for i in range(1, 21)] + [b"101000110000001110000001"])
    + page(4, 1, [b"House 12", b"LPS 1", b"South side", b"plan-that-does-not-exist.png"])
    + page(6, 1, report_table(b"House 12", b"LPS 1",
                              [[b"Joint", b"Rt", b"Re", b"Rl", b"Remarks"],
                               [b"", b"Ohm", b"Ohm", b"Ohm", b""],
                               [b"MS1", b"0.1", b"7.5", b"", b"ok"]],
                              b"Dry soil", b"Second note"))
    # A table is never written below a new table's size (three rows): this one
    # has its heading and unit rows and an empty row.
    + report_table(b"House 12", b"LPS 1", [[b"Part", b"Bond"], [b"", b"Ohm"], [b"", b""]])
)

END = [b""] * 25 + [b"*** KONEC"]


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


def main():
    s14 = str(seal(14, b"12345678")).encode()

    # A new structure: empty heading and comments as a first start has them.
    write("new_structure.ZIT", join(
        header(heading=[b""] * 10, logo=0, comments=[b""] * 20, autotest=[b""] * 5, checks=b"101",
               comments2=[b""] * 200)
        + [str(seal(14, b"")).encode(), b"Object1\t1\t0\t"] + [b""] * 25
        + [b"*** TABLE DATA", b"1", b"10"] + [b""] * 10 + END))

    # Everything the format holds, in the writer's own layout.
    write("full.ZIT", join(header() + [s14] + ELEMENTS + [b""] * 25 + table(TABLE) + PAGES + END))

    # The older form: six heading lines.
    write("version10.ZIT", join(header(v11=False) + [s14] + ELEMENTS + [b""] * 25 + table(TABLE) + END))

    # No long comments: the short block runs into the structure data.
    write("no_comments2.ZIT", join(header(comments2=None) + [s14] + ELEMENTS + [b""] * 25
                                   + table(TABLE) + END))

    # Only three comment lines, no autotest comments and no switches.
    short = [b"*** INSTAL STRUCTURE v11", b"14"] + HEADING + [b"0", b"c1", b"c2", b"c3",
                                                            b"*** STRUCTURE DATA"]
    write("short_comments.ZIT", join(short + [s14] + ELEMENTS + [b""] * 25 + table(TABLE) + END))

    # A switch line shorter than three characters.
    write("short_switch.ZIT", join(header(checks=b"1") + [s14] + ELEMENTS + [b""] * 25
                                   + table(TABLE) + END))

    # The serial number (line 4 of the identification) edited by hand.
    edited = [r[:] for r in TABLE]
    edited[0][1] = IDENT.replace(b"12345678", b"12345679")
    write("changed_serial.ZIT", join(header() + [s14] + ELEMENTS + [b""] * 25 + table(edited) + END))

    # Kinds 1, 3, 7, 7, 1, 13 with empty lines between some of them.
    write("kinds.ZIT", join(header() + [s14]
                            + [b"Obj A\t1\t1\t", b"", b"Block\t3\t1\t", b"Fuse 1\t7\t1\t", b"", b"",
                               b"Fuse 2\t7\t2\t", b"Obj B\t1\t2\t", b"Point\t13\t1\t"]
                            + [b""] * 25 + table(TABLE) + END))

    # Kinds outside the table: 200 (past the known kinds) and 0 (not set).
    write("odd_kinds.ZIT", join(header() + [s14]
                                + [b"Top\t1\t1\t", b"Unknown\t200\t5\t11", b"Unset\t0\t0\t", b"Below\t13\t3\t"]
                                + [b""] * 25 + table(TABLE) + END))

    # A family this program does not serve.
    write("other_family.ZIT", join(header(family=6) + [str(seal(6, b"12345678")).encode()] + ELEMENTS
                                   + [b""] * 25 + table(TABLE) + END))

    # The file ends inside the result table (after row 2, column 4).
    t = table(TABLE)
    cut = 3 + 10 * 2 + 5
    write("truncated_table.ZIT", join(header() + [s14] + ELEMENTS + [b""] * 25 + t[:cut]))

    # A damaged page record between two good ones.
    write("damaged_page.ZIT", join(
        header() + [s14] + ELEMENTS + [b""] * 25 + table(TABLE)
        + page(1, 1, [b"First"] + [b"e%d" % i for i in range(1, 15)])
        + [b""] * 25 + [b"*** PROTOCOL DATA", b"X1", b"1", b"Lost"]
        + page(1, 2, [b"Second"] + [b""] * 14) + END))

    # LF alone as line end.
    write("full_lf.ZIT", (join(header() + [s14] + ELEMENTS + [b""] * 25 + table(TABLE) + PAGES + END)
                          .replace(CRLF, b"\n")))


if __name__ == "__main__":
    main()
