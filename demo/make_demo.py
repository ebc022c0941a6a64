#!/usr/bin/env python3
"""Writes demo.adr, the invented address book that ./run.sh opens by default.

Entries are blocks of lines ended by an empty line; the German letters are
stored in the file's OEM code. Names, streets and numbers are made up.
"""
import pathlib

ENTRIES = """\
Albrecht Sabine, 030 4471 220
Kastanienallee 12
10435 Berlin
eMail: sabine.albrecht@example.org
Birthday: 14.03.

Bäcker Jürgen, 089 220 331
Bäckerei am Markt
Viktualienmarkt 3
80331 München
PhoneNumber: 089 220 332
Info: liefert samstags ab 7 Uhr

Brandt Ole, 040 381 772
Övelgönne 41
22605 Hamburg
http:// "https://example.net/brandt"

Castellano Lucía, +34 91 555 0199
Calle de Atocha 27
28012 Madrid
eMail: lucia@example.es

Dietrich Hannelore, 0351 804 55
Königstraße 8
01097 Dresden
Birthday: 02.11.
ToDo: Karte zum Geburtstag

Eisenberg Praxis Dr., 0221 933 210
Hohenzollernring 55
50672 Köln
Urgent: Termin vor dem 20. anrufen
Address: 2. OG, Aufzug im Hof

Fischer Günter, 0711 245 880
Schloßstraße 19
70174 Stuttgart
Profession: Tischlermeister

Förster Anke, 0341 998 12
Grassistraße 4
04107 Leipzig
eMail: anke.foerster@example.de

Groß Matthias, 0611 500 77
Wilhelmstraße 30
65183 Wiesbaden
FaxNumber: 0611 500 78

Hahn Elke, 0421 336 90
Schnoor 6
28195 Bremen
Info: "C:\\Briefe\\Hahn Einladung.txt"

Hoffmann Till, 0761 292 44
Münsterplatz 2
79098 Freiburg
Profession: Uhrmacher

Jäger Petra, 0911 230 115
Ölberg 7
90403 Nürnberg

Kaiser Bernd, 069 133 420
Zeil 88
60313 Frankfurt am Main
PhoneNumber: 0170 555 2301
Birthday: 29.07.

Klein Susanne, 0228 650 19
Poppelsdorfer Allee 40
53115 Bonn

Krüger Malte, 0381 455 800
Lange Straße 9
18055 Rostock
http:// "https://example.com/krueger-segel"

Lehmann Ute, 0331 270 64
Brandenburger Straße 52
14467 Potsdam
ToDo: Bücher zurückgeben

Meier Hans, 0621 410 55
Planken O 7
68161 Mannheim

Meier Hansjörg, 0621 410 90
Quadrat Q 4, 11
68161 Mannheim
Info: nicht verwechseln mit Hans Meier

Müller Clara, 0511 304 72
Lister Meile 33
30161 Hannover
eMail: clara.mueller@example.org

Muller Pierre, +33 3 88 55 01 20
12 rue des Juifs
67000 Strasbourg

Neumann Kai, 0431 901 40
Holstenstraße 60
24103 Kiel

Oßwald Rita, 0851 331 07
Residenzplatz 1
94032 Passau
Birthday: 18.05.

Peters Jan, 0471 955 12
Am Handelshafen 2
27570 Bremerhaven

Richter Ümit, 0201 845 30
Rüttenscheider Straße 150
45131 Essen
Profession: Rechtsanwalt
Address: Kanzlei im 3. Stock

Schäfer Ines, 0651 978 40
Simeonstraße 5
54290 Trier
PhoneNumber: 0160 555 8812

Schneider Werkstatt, 0231 577 99
Hafenweg 14
44147 Dortmund
Urgent: Winterreifen bis Oktober wechseln

Schulz Dörte, 0385 550 18
Schloßgartenallee 3
19061 Schwerin

Vogel Björn, 0761 404 22
Kartäuserstraße 21
79102 Freiburg
eMail: bjoern.vogel@example.net

Wagner Lotte, 0234 322 71
Universitätsstraße 150
44801 Bochum
Birthday: 09.09.

Weiß Friedrich, 0641 99 120
Ludwigsplatz 13
35390 Gießen
Info: "https://example.org/weiss/lageplan.html"

Zimmermann Öl & Gas GmbH, 0800 555 0100
Industriestraße 7
76187 Karlsruhe
FaxNumber: 0800 555 0101
"""

OEM = {"Ä": 142, "Ö": 153, "Ü": 154, "ä": 132, "ö": 148, "ü": 129, "ß": 158}


def encode(text: str) -> bytes:
    out = bytearray()
    for ch in text:
        if ch in OEM:
            out.append(OEM[ch])
        else:
            out += ch.encode("cp1252")
    return bytes(out)


def main() -> None:
    blocks = [b.strip("\n") for b in ENTRIES.split("\n\n") if b.strip()]
    text = "".join(b.replace("\n", "\r\n") + "\r\n\r\n" for b in sorted(blocks, key=str.upper))
    path = pathlib.Path(__file__).with_name("demo.adr")
    path.write_bytes(encode(text))
    print(f"{path}: {len(blocks)} entries")


if __name__ == "__main__":
    main()
