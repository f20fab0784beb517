#!/usr/bin/env python3
"""Rebuild the installation's text data from files that Debian packages ship.

Reads xplanet (star catalogue, constellation outlines, city markers),
xplanet-images (Earth image), gpredict (January 2018 element sets, weather
stations) and tzdata (zones, reference cities, offsets). Writes the derived
text sources under data/src/ and the installed text files under
data/install/. The binary catalogues are made at build time from these.

Usage: data/tools/make_sources.py [repository root]
"""
import datetime
import math
import os
import re
import shutil
import sys
import zoneinfo

XPLANET = "/usr/share/xplanet"
GPREDICT = "/usr/share/gpredict/data"
ZONEINFO = "/usr/share/zoneinfo"

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                       os.path.join(os.path.dirname(__file__), "..", ".."))
SRC = os.path.join(ROOT, "data", "src")
INSTALL = os.path.join(ROOT, "data", "install")
DATA = os.path.join(INSTALL, "data")
TLE = os.path.join(INSTALL, "tle")
MAP = os.path.join(INSTALL, "map")

# IAU constellation abbreviations (as the star catalogue spells them) and names.
CONSTELLATIONS = {
    "And": "Andromeda", "Ant": "Antlia", "Aps": "Apus", "Aqr": "Aquarius",
    "Aql": "Aquila", "Ara": "Ara", "Ari": "Aries", "Aur": "Auriga",
    "Boo": "Bootes", "Cae": "Caelum", "Cam": "Camelopardalis", "Cnc": "Cancer",
    "CVn": "Canes Venatici", "CMa": "Canis Major", "CMi": "Canis Minor",
    "Cap": "Capricornus", "Car": "Carina", "Cas": "Cassiopeia", "Cen": "Centaurus",
    "Cep": "Cepheus", "Cet": "Cetus", "Cha": "Chamaeleon", "Cir": "Circinus",
    "Col": "Columba", "Com": "Coma Berenices", "CrA": "Corona Australis",
    "CrB": "Corona Borealis", "Crv": "Corvus", "Crt": "Crater", "Cru": "Crux",
    "Cyg": "Cygnus", "Del": "Delphinus", "Dor": "Dorado", "Dra": "Draco",
    "Equ": "Equuleus", "Eri": "Eridanus", "For": "Fornax", "Gem": "Gemini",
    "Gru": "Grus", "Her": "Hercules", "Hor": "Horologium", "Hya": "Hydra",
    "Hyi": "Hydrus", "Ind": "Indus", "Lac": "Lacerta", "Leo": "Leo",
    "LMi": "Leo Minor", "Lep": "Lepus", "Lib": "Libra", "Lup": "Lupus",
    "Lyn": "Lynx", "Lyr": "Lyra", "Men": "Mensa", "Mic": "Microscopium",
    "Mon": "Monoceros", "Mus": "Musca", "Nor": "Norma", "Oct": "Octans",
    "Oph": "Ophiuchus", "Ori": "Orion", "Pav": "Pavo", "Peg": "Pegasus",
    "Per": "Perseus", "Phe": "Phoenix", "Pic": "Pictor", "Psc": "Pisces",
    "PsA": "Piscis Austrinus", "Pup": "Puppis", "Pyx": "Pyxis", "Ret": "Reticulum",
    "Sge": "Sagitta", "Sgr": "Sagittarius", "Sco": "Scorpius", "Scl": "Sculptor",
    "Sct": "Scutum", "Ser": "Serpens", "Sex": "Sextans", "Tau": "Taurus",
    "Tel": "Telescopium", "Tri": "Triangulum", "TrA": "Triangulum Australe",
    "Tuc": "Tucana", "UMa": "Ursa Major", "UMi": "Ursa Minor", "Vel": "Vela",
    "Vir": "Virgo", "Vol": "Volans", "Vul": "Vulpecula",
}

# Outline lines named only by their stars and not continuing the figure
# before them in the outline file.
FIGURE_STARS = {"Procyon": "CMi", "Canopus": "Car", "Benetnasch": "UMa", "Mizar": "UMa",
                "Alioth": "UMa", "Megrez": "UMa", "Phecda": "UMa", "Merak": "UMa"}

# Proper names of bright stars (IAU list), keyed by Bayer designation.
PROPER_NAMES = {
    "Alp CMa": "Sirius", "Alp Car": "Canopus", "Alp Boo": "Arcturus",
    "Alp1 Cen": "Rigil Kentaurus", "Alp Lyr": "Vega", "Alp Aur": "Capella",
    "Bet Ori": "Rigel", "Alp CMi": "Procyon", "Alp Eri": "Achernar",
    "Alp Ori": "Betelgeuse", "Bet Cen": "Hadar", "Alp Aql": "Altair",
    "Alp Tau": "Aldebaran", "Alp Sco": "Antares", "Alp Vir": "Spica",
    "Bet Gem": "Pollux", "Alp PsA": "Fomalhaut", "Alp Cyg": "Deneb",
    "Bet Cru": "Mimosa", "Alp1 Cru": "Acrux", "Alp Leo": "Regulus",
    "Eps CMa": "Adhara", "Alp Gem": "Castor", "Gam Cru": "Gacrux",
    "Lam Sco": "Shaula", "Gam Ori": "Bellatrix", "Bet Tau": "Elnath",
    "Bet Car": "Miaplacidus", "Eps Ori": "Alnilam", "Alp Gru": "Alnair",
    "Zet Ori": "Alnitak", "Eps UMa": "Alioth", "Alp Per": "Mirfak",
    "Alp UMa": "Dubhe", "Eps Sgr": "Kaus Australis", "Del CMa": "Wezen",
    "Eta UMa": "Alkaid", "Eps Car": "Avior", "The Sco": "Sargas",
    "Bet Aur": "Menkalinan", "Alp TrA": "Atria", "Gam Gem": "Alhena",
    "Alp Pav": "Peacock", "Bet CMa": "Mirzam", "Alp Hya": "Alphard",
    "Alp Ari": "Hamal", "Alp UMi": "Polaris", "Sig Sgr": "Nunki",
    "Bet Cet": "Diphda", "Alp And": "Alpheratz", "Bet And": "Mirach",
    "Kap Ori": "Saiph", "Alp Oph": "Rasalhague", "Bet Per": "Algol",
    "Bet Leo": "Denebola", "Gam Cyg": "Sadr", "Alp Cas": "Schedar",
    "Alp CrB": "Alphecca", "Gam Dra": "Eltanin", "Zet Pup": "Naos",
    "Gam1 And": "Almach", "Bet Cas": "Caph", "Zet UMa": "Mizar",
    "Bet UMa": "Merak", "Alp Phe": "Ankaa", "Eps Peg": "Enif",
    "Bet Peg": "Scheat", "Alp Cep": "Alderamin", "Alp Peg": "Markab",
    "Bet UMi": "Kochab", "Gam UMa": "Phecda", "Del Ori": "Mintaka",
    "Alp Ser": "Unukalhai", "Bet Lib": "Zubeneschamali",
    "Alp2 Lib": "Zubenelgenubi", "Del Leo": "Zosma", "Alp Col": "Phact",
    "Bet Lyr": "Sheliak", "Gam Lyr": "Sulafat", "Alp Cet": "Menkar",
    "Eta Tau": "Alcyone", "Bet Dra": "Rastaban", "Alp Dra": "Thuban",
    "Gam1 Leo": "Algieba", "Gam Aql": "Tarazed", "Bet1 Cyg": "Albireo",
    "Eps Boo": "Izar", "Gam Crv": "Gienah", "Alp Aqr": "Sadalmelik",
    "Bet Aqr": "Sadalsuud", "Del Cap": "Deneb Algedi", "Alp Lep": "Arneb",
    "Bet Eri": "Cursa", "Bet Ari": "Sheratan", "Omi Cet": "Mira",
    "Alp2 CVn": "Cor Caroli", "Alp1 Her": "Rasalgethi", "Bet Her": "Kornephoros",
    "Eps Vir": "Vindemiatrix", "Gam Vir": "Porrima", "Bet Crv": "Kraz",
    "The Eri": "Acamar", "Gam Peg": "Algenib", "Eta Oph": "Sabik",
    "Del Sco": "Dschubba", "Bet1 Sco": "Acrab", "Eps Cyg": "Aljanah",
    "Gam UMi": "Pherkad", "Del UMa": "Megrez", "Iot Car": "Aspidiske",
    "Lam Vel": "Suhail", "Eta CMa": "Aludra", "Alp Del": "Sualocin",
    "Bet Del": "Rotanev", "Bet Oph": "Cebalrai", "Alp Psc": "Alrescha",
    "Bet Col": "Wazn", "Bet Lep": "Nihal", "Mu Gem": "Tejat",
}

# Approximate standard magnitudes (1000 km range, half illuminated) of a few
# well-observed objects; everything else gets the default 8.0.
STD_MAGS = {
    25544: -1.3, 20580: 2.2, 37820: 3.5, 41765: 3.5, 27386: 2.0, 23560: 3.0,
    21574: 3.0, 25994: 3.5, 27424: 3.5, 16908: 3.5, 10967: 3.5, 28931: 3.5,
    27597: 2.5, 41868: 4.0,
}
IRIDIUM_STD_MAG = 6.0  # first-generation body without its mirror flash

MAG_URL = "http://www.prismnet.com/~mmccants/programs/qsmag.zip"

# Default selection of the main list: the ISS and bright, easy satellites.
MAIN_LIST = [25544, 20580, 37820, 41765, 27386, 25994, 27424, 28931, 23560,
             16908, 10967, 27597, 41868, 21574, 22285, 25400, 28353, 31793]
MAIN_SELECTED = 12

GREEK = {"α": "Alpha", "β": "Beta", "γ": "Gamma", "δ": "Delta", "ε": "Epsilon",
         "ζ": "Zeta", "η": "Eta", "θ": "Theta", "ι": "Iota", "κ": "Kappa",
         "λ": "Lambda", "μ": "Mu", "σ": "Sigma"}


def latin1(text):
    """8-bit text as the program stores it; characters outside Latin-1 dropped."""
    return text.encode("latin-1", "ignore").decode("latin-1")


def write_lines(path, lines):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="latin-1", newline="\n") as f:
        for line in lines:
            f.write(line + "\n")
    print(f"{os.path.relpath(path, ROOT)}: {len(lines)} lines")


def hours_to_deg(h):
    return h * 15.0


# ---------------------------------------------------------------- stars
def read_bsc():
    stars = []
    pat = re.compile(r'^\s*(\S+)\s+(\S+)\s+(\S+)\s+"(.{10})"\s+(\d+)\s+(\d+)\s+(\d+)\s*$')
    with open(os.path.join(XPLANET, "stars", "BSC"), encoding="latin-1") as f:
        for line in f:
            m = pat.match(line)
            if not m:
                continue
            dec, ra_h, mag = float(m[1]), float(m[2]), float(m[3])
            field = m[4]
            flam, bayer, cons = field[0:3].strip(), field[3:7].strip(), field[7:10].strip()
            stars.append(dict(dec=dec, ra=hours_to_deg(ra_h), mag=mag, flam=flam,
                              bayer=bayer, cons=cons, hr=int(m[5]), sao=int(m[7])))
    return stars


def star_name(s):
    key = f"{s['bayer']} {s['cons']}" if s["bayer"] else ""
    if key in PROPER_NAMES:
        return PROPER_NAMES[key]
    if s["bayer"]:
        return key
    if s["flam"]:
        return f"{s['flam']} {s['cons']}"
    return ""


def make_stars(stars):
    lines = ["# ra_deg dec_deg mag sao name (J2000, Yale Bright Star Catalogue via xplanet)"]
    kept = [s for s in stars if s["mag"] <= 6.5]
    for s in sorted(kept, key=lambda s: (s["mag"], s["hr"])):
        lines.append(f"{s['ra']:.5f}\t{s['dec']:.4f}\t{s['mag']:.2f}\t{s['sao']}\t{star_name(s)}")
    write_lines(os.path.join(SRC, "stars.txt"), lines)
    return kept


def make_star_dat(stars):
    """Named stars for the transit picker, fixed columns, brightest first."""
    named = [s for s in stars if f"{s['bayer']} {s['cons']}" in PROPER_NAMES]
    seen, lines = set(), []
    for s in sorted(named, key=lambda s: (s["mag"], s["hr"])):
        name = PROPER_NAMES[f"{s['bayer']} {s['cons']}"]
        if name in seen:
            continue
        seen.add(name)
        assert len(name) <= 19, name
        cat = f"SAO{s['sao']:6d}" if s["sao"] else f"HR{s['hr']:7d}"
        line = f"{s['ra']:9.4f} {s['dec']:10.4f} {s['mag']:5.2f}{cat:<9}  {name}"
        lines.append(line)
    write_lines(os.path.join(DATA, "star.dat"), lines)


# ---------------------------------------------------------------- constellations
def make_constellations():
    lines = ["# ra1_deg dec1_deg ra2_deg dec2_deg name (name only on a figure's first line)"]
    current, named = None, set()
    abbrev = re.compile(r"\b(" + "|".join(CONSTELLATIONS) + r")\b")
    with open(os.path.join(XPLANET, "arcs", "constellations"), encoding="latin-1") as f:
        for line in f:
            body, _, comment = line.partition("#")
            parts = body.split()
            if len(parts) != 4:
                continue
            m = abbrev.search(comment)
            first_star = comment.split(",")[0].strip()
            if m:
                current = m[1]
            elif first_star in FIGURE_STARS:
                current = FIGURE_STARS[first_star]
            dec1, ra1, dec2, ra2 = map(float, parts)
            name = ""
            if current and current not in named:
                named.add(current)
                name = CONSTELLATIONS[current]
            lines.append(f"{hours_to_deg(ra1):.4f}\t{dec1:.4f}\t{hours_to_deg(ra2):.4f}\t{dec2:.4f}\t{name}")
    write_lines(os.path.join(SRC, "constellations.txt"), lines)
    return len(named)


# ---------------------------------------------------------------- cities
def make_map_locations():
    lines = []
    pat = re.compile(r'^\s*(-?[\d.]+)\s+(-?[\d.]+)\s+"([^"]*)"')
    with open(os.path.join(XPLANET, "markers", "earth"), encoding="utf-8") as f:
        for line in f:
            if line.lstrip().startswith("#"):
                continue
            m = pat.match(line)
            if not m:
                continue
            name = re.sub(r"\s*[%(].*$", "", m[3]).strip()  # drop clock formats
            name = latin1(name)[:20]
            lines.append(f"{float(m[1]):8.2f}{float(m[2]):8.2f} {name}")
    write_lines(os.path.join(DATA, "MapLocations.dat"), lines)


# ---------------------------------------------------------------- time zones
def iso6709(text):
    """+DDMM[SS]+DDDMM[SS] of zone.tab to decimal degrees."""
    m = re.match(r"([+-]\d+)([+-]\d+)$", text)

    def conv(s, deg_digits):
        sign = -1 if s[0] == "-" else 1
        d = s[1:]
        deg, mins = int(d[:deg_digits]), int(d[deg_digits:deg_digits + 2])
        secs = int(d[deg_digits + 2:] or 0)
        return sign * (deg + mins / 60 + secs / 3600)
    return conv(m[1], 2), conv(m[2], 3)


def read_zone_tab():
    zones = []
    with open(os.path.join(ZONEINFO, "zone.tab"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            cols = line.rstrip("\n").split("\t")
            lat, lon = iso6709(cols[1])
            zones.append(dict(cc=cols[0], lat=lat, lon=lon, tz=cols[2]))
    return zones


def standard_offset_hours(tz):
    """Winter/summer minimum, so daylight saving never counts as standard time."""
    z = zoneinfo.ZoneInfo(tz)
    offs = [datetime.datetime(2025, m, 15, 12, tzinfo=z).utcoffset() for m in (1, 7)]
    return min(offs).total_seconds() / 3600.0


def offset_text(h):
    text = f"{h:.1f}" if abs(h * 2 - round(h * 2)) < 1e-9 else f"{h:.2f}"
    assert len(text) <= 5
    return text


DEFAULT_ZONE = "Greenwich (Coordinated Universal) Time"


def make_timezones(zones):
    entries = [(0.0, DEFAULT_ZONE), (0.0, "UTC")]
    for z in zones:
        entries.append((standard_offset_hours(z["tz"]), z["tz"]))
    entries = sorted(set(entries), key=lambda e: (e[0], e[1] != DEFAULT_ZONE, e[1]))
    lines = []
    for off, name in entries:
        assert -12 <= off <= 14 and len(name) <= 39, name
        lines.append(f"{offset_text(off):>5}   {name}")
    write_lines(os.path.join(DATA, "Timezone.dat"), lines)


# ---------------------------------------------------------------- locations
COUNTRY_ALIASES = {
    "United States": "US", "USA": "US", "United Kingdom": "GB", "Russia": "RU",
    "South Korea": "KR", "North Korea": "KP", "Iran": "IR", "Syria": "SY",
    "Vietnam": "VN", "Laos": "LA", "Tanzania": "TZ", "Bolivia": "BO",
    "Venezuela": "VE", "Moldova": "MD", "Taiwan": "TW", "Czech Republic": "CZ",
    "Macedonia": "MK", "Brunei": "BN", "Ivory Coast": "CI", "Cape Verde": "CV",
    "Congo": "CG", "Zaire": "CD", "Burma": "MM", "Swaziland": "SZ",
    "Korea, Republic of": "KR", "Korea, Democratic People's Republic of": "KP",
    "People's Republic of China": "CN", "Cote d'Ivoire": "CI", "Viet Nam": "VN",
    "Serbia and Montenegro": "RS", "Yugoslavia": "RS", "Iran, Islamic Republic of": "IR",
    "Micronesia, Federated States of": "FM", "Bosnia-Herzegovina": "BA",
    "Bosnia and Herzegovina": "BA", "Antigua and Barbuda": "AG", "Reunion": "RE",
    "Sao Tome and Principe": "ST", "Macedonia, The Republic of": "MK",
    "Gambia, The": "GM", "Saint Helena": "SH", "British Virgin Islands": "VG",
}
# The station list names the state or province instead of the country here.
REGION_COUNTRY = {"United States": "US", "Canada": "CA", "Mexico": "MX"}


def great_circle(lat1, lon1, lat2, lon2):
    p1, p2 = math.radians(lat1), math.radians(lat2)
    dl = math.radians(lon2 - lon1)
    c = math.sin(p1) * math.sin(p2) + math.cos(p1) * math.cos(p2) * math.cos(dl)
    return math.acos(max(-1.0, min(1.0, c)))


def location_line(name, lat, lon, zone, height_m):
    name = latin1(name).strip()[:32]
    return (f"{name:<32} {lat:9.4f} {lon:11.4f} {0.0:9.2f} {zone:>42} "
            f"{round(height_m):9d}")


def make_locations(zones):
    iso = {}
    with open(os.path.join(ZONEINFO, "iso3166.tab"), encoding="utf-8") as f:
        for line in f:
            if not line.startswith("#") and line.strip():
                cc, name = line.rstrip("\n").split("\t")
                iso[name.lower()] = cc
    by_cc = {}
    for z in zones:
        by_cc.setdefault(z["cc"], []).append(z)

    lines, unmatched = [], set()
    with open(os.path.join(GPREDICT, "locations.dat"), encoding="utf-8") as f:
        for line in f:
            cols = line.rstrip("\n").split(";")
            if len(cols) < 7:
                continue
            region, country, city = cols[0].strip(), cols[1].strip(), cols[2].strip()
            try:
                lat, lon, alt = float(cols[4]), float(cols[5]), float(cols[6])
            except ValueError:
                continue
            if not (-90 < lat < 90 and -180 < lon < 180):
                continue
            cc = (REGION_COUNTRY.get(region) or COUNTRY_ALIASES.get(country)
                  or iso.get(country.lower()))
            candidates = by_cc.get(cc)
            if not candidates:
                unmatched.add(country)
                candidates = zones
            zone = min(candidates, key=lambda z: great_circle(lat, lon, z["lat"], z["lon"]))
            name = f"{city}, {country}" if len(city) + len(country) + 2 <= 32 else city
            lines.append(location_line(name, lat, lon, zone["tz"], alt))
    for z in zones:
        city = z["tz"].rsplit("/", 1)[-1].replace("_", " ")
        lines.append(location_line(city, z["lat"], z["lon"], z["tz"], 0))
    lines.sort(key=lambda s: s.encode("latin-1"))
    write_lines(os.path.join(DATA, "Locations.dat"), lines)
    if unmatched:
        print("  countries matched by nearest zone only:", len(unmatched))

    favourites = ["Europe/London", "America/New_York", "Europe/Paris", "Asia/Tokyo",
                  "Australia/Sydney", "America/Toronto"]
    fav = []
    for z in zones:
        if z["tz"] in favourites:
            city = z["tz"].rsplit("/", 1)[-1].replace("_", " ")
            fav.append(location_line(city, z["lat"], z["lon"], z["tz"], 0))
    fav.sort(key=lambda s: s.encode("latin-1"))
    write_lines(os.path.join(DATA, "UserLocations.dat"), fav)


# ---------------------------------------------------------------- satellites
def read_gpredict_sats():
    sats = {}
    text = open(os.path.join(GPREDICT, "satdata", "satellites.dat"), encoding="utf-8").read()
    for block in re.split(r"\n(?=\[\d+\])", text):
        m = re.match(r"\s*\[(\d+)\]", block)
        if not m:
            continue
        fields = dict(l.split("=", 1) for l in block.splitlines() if "=" in l)
        if "TLE1" in fields and "TLE2" in fields:
            # Status tags such as "[+]" are not part of a satellite's name.
            name = re.sub(r"\s*\[[^\]]*\]$", "", latin1(fields.get("NAME", m[1])).strip())
            sats[int(m[1])] = dict(name=name,
                                   l1=fields["TLE1"].strip(), l2=fields["TLE2"].strip())
    return sats


def read_cat(name):
    with open(os.path.join(GPREDICT, "satdata", name), encoding="utf-8") as f:
        return [int(x) for x in f.read().split()[1:]]


def write_tle(path, sats, numbers):
    lines = []
    for n in numbers:
        s = sats[n]
        lines += [s["name"], s["l1"], s["l2"]]
    write_lines(path, lines)


def make_tle_files(sats):
    visual = [n for n in read_cat("visual.cat") if n in sats]
    iridium = [n for n in read_cat("iridium.cat")
               if n in sats and sats[n]["name"].startswith("IRIDIUM")]
    stations = [n for n in (25544, 37820, 41765) if n in sats]
    write_tle(os.path.join(TLE, "visual.tle"), sats, visual)
    write_tle(os.path.join(TLE, "Iridium.tle"), sats, iridium)
    write_tle(os.path.join(TLE, "stations.tle"), sats, stations)
    return iridium


def make_mag_dat(sats, iridium):
    lines = []
    for n, s in sats.items():
        mag = STD_MAGS.get(n, IRIDIUM_STD_MAG if n in iridium else 8.0)
        # Where the value came from, after the fixed columns.
        source = "observed" if n in STD_MAGS else "rule" if n in iridium else "unknown"
        lines.append(f"{n:05d}   {s['name'].upper()[:24]:<24} {mag:5.1f} {source}")
    lines.sort()
    write_lines(os.path.join(DATA, "Mag.dat"), [MAG_URL] + lines)


def make_main_list(sats):
    lines = ["# catalogue number, selected flag: default main list"]
    for i, n in enumerate(MAIN_LIST):
        assert n in sats, n
        lines.append(f"{n:05d} {1 if i < MAIN_SELECTED else 0}")
    write_lines(os.path.join(SRC, "mainsat.txt"), lines)


# ---------------------------------------------------------------- download list
CELESTRAK = "https://celestrak.org/NORAD/elements/gp.php?GROUP={}&FORMAT=tle"
SPACETRACK_ALL = "https://www.space-track.org/basicspacedata/query/class/gp/format/{}"


def make_dwnlist():
    # Exactly twelve login-protected entries come first. Today's provider
    # queries with predicates do not fit the 80-column URL field, so only the
    # whole catalogue (three-line and two-line) fits; the other slots are kept
    # disabled. The stem starts in the ninth name column, so both file-name
    # rules give the same file.
    st = [("st_catalog_3le", SPACETRACK_ALL.format("3le")),
          ("st_catalog_tle", SPACETRACK_ALL.format("tle"))]
    st += [(f"st_spare_{i:02d}", SPACETRACK_ALL.format("3le")) for i in range(3, 13)]
    public = [
        (1, "stations", "stations"), (1, "visual", "visual"), (1, "Iridium", "iridium"),
        (0, "iridium-NEXT", "iridium-NEXT"), (0, "weather", "weather"), (0, "noaa", "noaa"),
        (0, "gps-ops", "gps-ops"), (0, "geo", "geo"), (0, "amateur", "amateur"),
        (0, "science", "science"), (0, "starlink", "starlink"),
        (0, "last-30-days", "last-30-days"), (0, "active", "active"),
    ]
    lines = []
    for stem, url in st:
        lines.append(f"0 0 {'':8}{stem:<26} {url}")
    for flag, stem, group in public:
        lines.append(f"{flag} 0 {stem:<34} {CELESTRAK.format(group)}")
    for line in lines:
        assert len(line) <= 119 and line[38] == " ", line
    write_lines(os.path.join(DATA, "dwnlist.dat"), lines)


def main():
    stars = read_bsc()
    kept = make_stars(stars)
    print(f"  stars to magnitude 6.5: {len(kept)} of {len(stars)}")
    make_star_dat(stars)
    print(f"  constellations named: {make_constellations()}")
    make_map_locations()
    zones = read_zone_tab()
    make_timezones(zones)
    make_locations(zones)
    sats = read_gpredict_sats()
    iridium = make_tle_files(sats)
    make_mag_dat(sats, iridium)
    make_main_list(sats)
    make_dwnlist()
    os.makedirs(MAP, exist_ok=True)
    shutil.copyfile(os.path.join(XPLANET, "images", "earth.jpg"),
                    os.path.join(MAP, "Real_Color_x.jpg"))


if __name__ == "__main__":
    main()
