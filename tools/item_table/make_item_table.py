#!/usr/bin/env python3
"""Writes the built-in item-ID table, source/item_ids.txt.

The table is data of the compiler, kept as a text file and embedded at build
time. This script is its source: it is run by hand, never by the build, and
its output is committed. Running it twice gives the same file byte for byte:
every choice comes from a small pseudo-random generator with a fixed seed and
only the standard library is used.

    python3 tools/item_table/make_item_table.py            # rewrites source/item_ids.txt
    python3 tools/item_table/make_item_table.py --check    # fails if the committed file differs
    python3 tools/item_table/make_item_table.py -o FILE    # writes elsewhere

Shape of the table: 6990 rows in 18 runs of equal major identifier. Names that
other parts of the compiler rely on (the first and last row of every run, the
wallpaper, the sounds, the pin-board wallpaper frame centre, the two pairs of
names that differ only in letter case, the fifteen aliased identifiers) are
fixed below; the other rows are composed from word lists in the platform's
naming style. Before writing, the script checks every property of the table
and refuses to write a table that breaks one.
"""

import argparse
import os
import sys

PREFIX = "KTavsIID"
MAX_NAME = 58
SEED = 0x4B52564E  # "KRVN"

M64 = (1 << 64) - 1


class Rng:
    """splitmix64: small, fast and the same on every Python version."""

    def __init__(self, seed):
        self.state = seed & M64

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & M64
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & M64
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & M64
        return z ^ (z >> 31)

    def below(self, n):
        return self.next() % n

    def chance(self, percent):
        return self.below(100) < percent

    def choice(self, seq):
        return seq[self.below(len(seq))]

    def shuffle(self, seq):
        for i in range(len(seq) - 1, 0, -1):
            j = self.below(i + 1)
            seq[i], seq[j] = seq[j], seq[i]

    def sample(self, seq, k):
        pool = list(seq)
        for i in range(k):
            j = i + self.below(len(pool) - i)
            pool[i], pool[j] = pool[j], pool[i]
        return pool[:k]


def family(name):
    """The capitalised word after the prefix: its first character and what
    follows up to the next capital letter ("Qgn", "Fs", "3d")."""
    rest = name[len(PREFIX):]
    end = 1
    while end < len(rest) and not rest[end].isupper():
        end += 1
    return rest[:end]


# ---------------------------------------------------------------------------
# Word lists

FRAME_PARTS = ["CornerTl", "CornerTr", "CornerBl", "CornerBr",
               "SideT", "SideB", "SideL", "SideR", "Center"]

QGN_SUBJECTS = [
    "Battery", "Signal", "Bt", "Wlan", "Gprs", "Egprs", "Hsdpa", "Wcdma", "Umts", "Gps",
    "Usb", "Ir", "Keylock", "Alarm", "Clock", "Silent", "Vibra", "Roaming", "Envelope",
    "Voice", "Mail", "Mms", "Sms", "Im", "Call", "Missed", "Divert", "Line", "Mic",
    "Speaker", "Headset", "Loopset", "Tty", "Hac", "Camera", "Flash", "Zoom", "Rec",
    "Play", "Pause", "Stop", "Rewind", "Forward", "Volume", "Mute", "Sync", "Upload",
    "Download", "Memory", "Mmc", "Drm", "Lock", "Secure", "Sim", "Network", "Radio",
    "Music", "Video", "Image", "Mark", "Attach", "Priority", "Checkbox", "Radiobutton",
    "Tab", "Navi", "Arrow", "Find", "Folder", "File", "Note", "Contact", "Group", "Link",
    "Sound", "Tone", "Profile", "Timer", "Stopwatch", "Calendar", "Meeting", "Memo",
    "Anniv", "Todo", "Task", "Bookmark", "Browser", "Feed", "Web", "Page", "Cert", "Key",
    "Pin", "Puk", "Phone", "Fax", "Pager", "Email", "Url", "Address", "Date", "Time",
    "Voip", "Chat", "Presence", "Avatar", "Photo", "Album", "Gallery", "Slideshow",
    "Playlist", "Artist", "Genre", "Composer", "Track", "Podcast", "Equalizer", "Stereo",
    "Fm", "Tv", "Map", "Landmark", "Route", "Compass", "Trip", "Position", "Satellite",
    "Wallet", "Card", "Dict", "Search", "Help", "Info", "Error", "Warning", "Query",
    "Ok", "Wait", "Progress", "Keypad", "Touch", "Stylus", "Pen", "Cursor", "Caret",
    "Text", "Input", "Predictive", "Language", "Accessory", "Charger", "Dock", "Car",
    "Carkit", "Pc", "Printer", "Server", "Vpn", "Proxy", "Conn", "Access", "Account",
    "Wizard", "Backup", "Restore", "Format", "Copy", "Move", "Rename", "Delete", "Sort",
    "Filter", "Zip", "Archive", "Theme", "Skin", "Idle", "Shortcut", "Widget", "Plugin",
    "Menu", "App", "Game", "Java", "Flash", "Office", "Pdf", "Sheet", "Doc", "Slide",
    "Dialer", "Logs", "Queue", "Outbox", "Inbox", "Drafts", "Sent", "Template",
]

QGN_SECOND = [
    "Add", "New", "Edit", "Open", "Close", "Home", "Work", "Mobile", "Private", "Shared",
    "Local", "Remote", "Auto", "Manual", "Audio", "Video", "Image", "Text", "Data",
    "Voice", "Multi", "Single", "Group", "Phone", "Card", "Sim", "Mmc", "Web", "Pc",
    "Mass", "Media", "Sync", "Info", "List", "Grid", "Tab", "Dial", "Speed", "Quick",
    "Hold", "Swap", "Conf", "Mute", "Loud", "High", "Low", "Full", "Empty", "Half",
]

QGN_MODIFIERS = [
    "On", "Off", "Add", "New", "Unread", "Read", "Small", "Medium", "Large", "Left",
    "Right", "Up", "Down", "Active", "Inactive", "Dimmed", "Sel", "Focus", "Hidden",
    "Empty", "Full", "Mask", "Anim", "Send", "Receive", "Error", "Wait", "Connected",
    "Disconnected", "Pressed", "Latched", "Disabled", "Highlight", "Locked", "Unlocked",
    "Busy", "Idle", "Offline", "Online", "Secure", "Failed", "Pending", "Sent", "Draft",
    "Attach", "Blocked", "Muted", "Held", "Waiting", "Bg", "Fg", "Wide", "Narrow",
]

QGN_SERIES = [
    ["Small", "Medium", "Large"],
    ["Tab2", "Tab3", "Tab4"],
    ["On", "Off"],
    ["", "Mask"],
    ["", "Sel"],
    ["", "Dimmed"],
    ["Left", "Right"],
    ["Up", "Down"],
    ["Unread", "Read"],
    ["Active", "Inactive"],
    ["Top", "Middle", "Bottom"],
    ["Frame1", "Frame2", "Frame3", "Frame4"],
    ["Frame1", "Frame2", "Frame3", "Frame4", "Frame5", "Frame6"],
    ["Connected", "Disconnected"],
]

QSN_FRAME_BASES = [
    "List", "Setting", "Popup", "PopupSub", "PopupHeading", "PopupPreview", "Input",
    "Grid", "Form", "Button", "Toolbar", "Tab", "Ctrl", "Status", "Navi", "Cba", "Signal",
    "Battery", "Search", "Keypad", "Touch", "Highlight", "Mark", "Slider", "Volume",
    "Note", "Query", "Menu", "Submenu", "Clock", "Calc", "Conv", "Gallery", "Browser",
    "Message", "Editor", "Stylus", "Wheel", "Rocker", "Tooltip", "Choice", "Option",
    "Title", "Header", "Footer", "Cell", "Column", "Row", "Field", "Bubble", "Preview",
    "Scroll", "Group", "Area", "Panel", "Sheet", "Card", "Wizard", "Tile",
]

QSN_FRAME_VARIANTS = [
    "", "Pressed", "Inactive", "Selected", "Transparent", "Wide", "Narrow", "Dimmed",
    "Latched", "Focus", "Highlight", "Active", "Passive", "Idle", "Sub", "Top", "Bottom",
    "Left", "Right", "Mini", "Large",
]

QSN_BG_AREAS = [
    "Main", "Status", "Control", "Idle", "Staconrt", "Staconlt", "Stacondisp",
    "MainAppsGrid", "MainListGen", "MainListSet", "MainMessage", "MainCalc", "MainPinb",
    "MainQdial", "MainIdle", "MainFlat", "MainSmall", "MainHigh", "MainMid", "StatusIdle",
    "ControlIdle", "ControlPopup", "ControlMp", "StatusFlat", "Navipane", "NavipaneIdle",
    "Wide", "Softkey", "Title", "Header", "Fullscreen", "Landscape", "Portrait", "Clock",
]

QSN_SINGLE_KINDS = ["Bg", "Anim", "Cp", "Fs", "Color", "Grid", "Text", "Icon", "Line"]

QSN_CP_SUBJECTS = [
    "Volume", "Scroll", "Slider", "Tab", "Navi", "Zoom", "Balance", "Brightness",
    "Contrast", "Seek", "Rate", "Level", "Indicator", "Handle", "Track", "Knob",
]

QSN_CP_PARTS = ["Bg", "BgTop", "BgMiddle", "BgBottom", "Handle", "HandleTop",
                "HandleMiddle", "HandleBottom", "Left", "Right", "Center", "Mark",
                "Active", "Inactive", "Pressed", "On", "Off"]

QSN_COLOR_KINDS = ["Text", "Icon", "Line", "Other", "Highlight", "Component", "Grid",
                   "Softkey", "Title", "Navi", "Popup", "Setting", "Status", "Input"]

# Categories of the "Qgn" names, each with its weight in the generic mix.
QGN_CATEGORIES = [("Indi", 30), ("Prop", 30), ("Graf", 12), ("Menu", 8), ("Note", 6),
                  ("Stat", 6), ("Fs", 2), ("Home", 2), ("Bt", 2), ("Im", 2)]

# Applications with list ("Lst") and context ("Cxt") menu icons.
MENU_APPS_LST = [
    "Bt", "Cale", "Calc", "Cam", "Clk", "Cnv", "Log", "Mce", "Mail", "Note", "Phob",
    "Prof", "Sett", "Sim", "Smsvo", "Unit", "Vid", "Voirec", "Wlan", "Web", "Gps", "Ir",
    "Usb", "Mp", "Radio", "Mg", "Im", "Poc", "Dict", "Search", "Chat", "Dm", "Fmgr",
    "Java", "Help", "Sync", "Lm",
]
MENU_APPS_CXT = [
    "Appsgrid", "Bt", "Cale", "Calc", "Cam", "Clk", "Cnv", "Log", "Mce", "Mail", "Note",
    "Phob", "Prof", "Sett", "Sim", "Smsvo", "Unit", "Vid", "Voirec", "Wlan", "Web", "Gps",
    "Ir", "Usb", "Mp", "Radio", "Mg", "Im", "Poc", "Dict", "Search", "Chat", "Dm", "Fmgr",
    "Java", "Help", "Sync", "Idle", "Pinb", "Video", "Lm",
]


def q(name):
    return PREFIX + name


def frame(base):
    return [base] + [base + part for part in FRAME_PARTS]


# ---------------------------------------------------------------------------
# Names


class NamePool:
    """Hands out names that are unique ignoring the case of A to Z."""

    def __init__(self):
        self.taken = set()

    def free(self, names):
        keys = [n.lower() for n in names]
        return (len(set(keys)) == len(keys) and all(k not in self.taken for k in keys)
                and all(len(n) <= MAX_NAME for n in names))

    def claim(self, names, allow_case_duplicate=False):
        for n in names:
            key = n.lower()
            if key in self.taken and not allow_case_duplicate:
                raise SystemExit("name claimed twice: " + n)
            self.taken.add(key)


class Composer:
    """Composes groups of "Qgn" and "Qsn" names in a run's theme."""

    def __init__(self, rng, pool, qgn_categories=None, qgn_subjects=None,
                 qsn_frames=None, frame_share=70):
        self.rng = rng
        self.pool = pool
        self.qgn_categories = qgn_categories or QGN_CATEGORIES
        self.qgn_subjects = qgn_subjects or QGN_SUBJECTS
        self.qsn_frames = qsn_frames or QSN_FRAME_BASES
        self.frame_share = frame_share

    def weighted_category(self):
        total = sum(w for _, w in self.qgn_categories)
        pick = self.rng.below(total)
        for name, weight in self.qgn_categories:
            if pick < weight:
                return name
            pick -= weight
        return self.qgn_categories[-1][0]

    def qgn_stem(self):
        rng = self.rng
        stem = "Qgn" + self.weighted_category() + rng.choice(self.qgn_subjects)
        if rng.chance(45):
            stem += rng.choice(QGN_SECOND)
        if rng.chance(8):
            stem += rng.choice(QGN_SUBJECTS)
        return stem

    def qgn_group(self, limit):
        while True:
            stem = self.qgn_stem()
            series = [s for s in QGN_SERIES if len(s) <= limit]
            if series and self.rng.chance(35):
                names = [q(stem + suffix) for suffix in self.rng.choice(series)]
            elif self.rng.chance(60):
                names = [q(stem + self.rng.choice(QGN_MODIFIERS))]
            else:
                names = [q(stem)]
            if self.pool.free(names):
                self.pool.claim(names)
                return names

    def qsn_group(self, limit):
        rng = self.rng
        while True:
            if limit >= 10 and rng.chance(self.frame_share):
                base = "QsnFr" + rng.choice(self.qsn_frames) + rng.choice(QSN_FRAME_VARIANTS)
                names = [q(n) for n in frame(base)]
            else:
                kind = rng.choice(QSN_SINGLE_KINDS)
                if kind == "Bg":
                    names = [q("QsnBgArea" + rng.choice(QSN_BG_AREAS) + rng.choice(
                        ["", "", "Wide", "Lsc", "Prt", "Flat", "Trans", "Dimmed"]))]
                elif kind == "Anim":
                    names = [q("QsnAnim" + rng.choice(["Bg", "Fr", "Cp", "Note", "Idle"]) +
                               rng.choice(QSN_BG_AREAS))]
                elif kind in ("Cp", "Fs"):
                    stem = "Qsn" + kind + rng.choice(QSN_CP_SUBJECTS)
                    count = min(limit, 1 + rng.below(4))
                    parts = rng.sample(QSN_CP_PARTS, count)
                    names = [q(stem + p) for p in parts]
                elif kind == "Color":
                    names = [q("Qsn" + rng.choice(QSN_COLOR_KINDS) + rng.choice(
                        ["Colors", "ColorsAlt", "ColorsInverse", "ColorsDimmed"]))]
                else:
                    names = [q("Qsn" + kind + rng.choice(QSN_CP_SUBJECTS) +
                               rng.choice(QSN_FRAME_VARIANTS[1:]))]
            if self.pool.free(names):
                self.pool.claim(names)
                return names

    def start(self, qgn_count, qsn_count):
        """Prepares for exactly qgn_count "Qgn" and qsn_count "Qsn" names."""
        self.left = {"Qgn": qgn_count, "Qsn": qsn_count}
        self.block_family = None
        self.block_left = 0

    def next_group(self, limit):
        """The next group of at most `limit` names. Names come in blocks of
        one family, as related items are listed together."""
        left = self.left
        if self.block_left <= 0 or left[self.block_family] == 0:
            total = left["Qgn"] + left["Qsn"]
            self.block_family = "Qgn" if self.rng.below(total) < left["Qgn"] else "Qsn"
            self.block_left = 1 + self.rng.below(24 if self.block_family == "Qgn" else 30)
        fam = self.block_family
        size = min(limit, left[fam])
        if fam == "Qgn":
            group = self.qgn_group(min(size, 6))
        else:
            group = self.qsn_group(min(size, 12))
        left[fam] -= len(group)
        self.block_left -= len(group)
        return group


# ---------------------------------------------------------------------------
# Minors


def unique_minors(rng, start, end, count, anchors):
    """`count` rising values from start to end inclusive, holding every anchor."""
    span = end - start + 1
    skip = span - count
    if skip < 0:
        raise SystemExit("minor range too small")
    must = {start, end} | set(anchors)
    candidates = [v for v in range(start, end + 1) if v not in must]
    skipped = set(rng.sample(candidates, skip))
    return [v for v in range(start, end + 1) if v not in skipped]


def uid_minors(rng, start, count):
    """Application UIDs: rising, with small and large steps."""
    values = [start]
    while len(values) < count:
        step = rng.choice([1 + rng.below(0x40), 1 + rng.below(0x400), 0x1000 + rng.below(0x8000),
                           0x10000 + rng.below(0x100000)])
        values.append(values[-1] + step)
    return values


class Row:
    __slots__ = ("name", "minor", "run")

    def __init__(self, minor, run, name=None):
        self.minor = minor
        self.run = run
        self.name = name


def run_bounds(rows, run):
    first = next(i for i, r in enumerate(rows) if r.run == run)
    last = max(i for i, r in enumerate(rows) if r.run == run)
    return first, last


def place_aliases(rng, rows, pairs):
    """Gives a free row (or an anchored one) a partner name and inserts the
    alias row with the same minor, right after it or a few rows later."""
    for run, partner, alias, distance in pairs:
        if any(r.name == partner for r in rows):
            index = next(i for i, r in enumerate(rows) if r.name == partner)
        else:
            first, last = run_bounds(rows, run)
            while True:
                index = first + 2 + rng.below(last - first - 4 - distance)
                if rows[index].name is None and all(
                        rows[index + k].name is None and rows[index + k].run == run
                        for k in range(1, distance + 1)):
                    break
            rows[index].name = partner
        insert_at = index + distance
        rows.insert(insert_at, Row(rows[index].minor, run, alias))


def add_dips(rng, rows, run, count):
    """Swaps the minors of a few neighbouring free rows: small dips in an
    otherwise rising run."""
    first, last = run_bounds(rows, run)
    done = 0
    while done < count:
        i = first + 1 + rng.below(last - first - 2)
        a, b = rows[i], rows[i + 1]
        if a.name is None and b.name is None and a.run == b.run == run and a.minor < b.minor:
            a.minor, b.minor = b.minor, a.minor
            done += 1


def place_blocks(rng, rows, run, blocks):
    """Puts each block of names on consecutive free rows of the run."""
    first, last = run_bounds(rows, run)
    for block in blocks:
        while True:
            i = first + 1 + rng.below(last - first - len(block))
            if all(rows[i + k].name is None and rows[i + k].run == run
                   for k in range(len(block))):
                break
        for k, name in enumerate(block):
            rows[i + k].name = name


# ---------------------------------------------------------------------------
# The runs


class Run:
    def __init__(self, number, major, size, qsn, head=(), tail=(), blocks=(), anchors=None,
                 aliases=(), dips=0, composer=None):
        self.number = number
        self.major = major
        self.size = size
        self.qsn = qsn  # number of "Qsn" rows the run holds
        self.head = [q(n) for n in head]
        self.tail = [q(n) for n in tail]
        self.blocks = [[q(n) for n in b] for b in blocks]
        self.anchors = {m: q(n) for m, n in (anchors or {}).items()}
        self.aliases = [(number, q(p), q(a), d) for p, a, d in aliases]
        self.dips = dips
        self.composer = composer

    def fixed_names(self):
        names = list(self.head) + list(self.tail) + list(self.anchors.values())
        for block in self.blocks:
            names += block
        for _, partner, alias, _ in self.aliases:
            if partner not in names:
                names.append(partner)
            names.append(alias)
        return names


def label_fixed(rows, run):
    first, last = run_bounds(rows, run.number)
    for k, name in enumerate(run.head):
        rows[first + k].name = name
    for k, name in enumerate(reversed(run.tail)):
        rows[last - k].name = name
    for minor, name in run.anchors.items():
        matches = [r for r in rows[first:last + 1] if r.minor == minor]
        if len(matches) != 1 or matches[0].name is not None:
            raise SystemExit("anchor clash at minor 0x%X" % minor)
        matches[0].name = name


def fill_run(rows, run):
    """Names every free row of the run from the run's composer, so that the
    run holds exactly `run.qsn` "Qsn" rows. Groups of related names are kept
    on consecutive free rows."""
    first, last = run_bounds(rows, run.number)
    mine = rows[first:last + 1]
    free = sum(1 for r in mine if r.name is None)
    named_qsn = sum(1 for r in mine if r.name is not None and family(r.name) == "Qsn")
    qsn = run.qsn - named_qsn
    qgn = free - qsn
    if qsn < 0 or qgn < 0:
        raise SystemExit("run %d cannot meet its family counts" % run.number)
    run.composer.start(qgn, qsn)
    i = 0
    while i < len(mine):
        if mine[i].name is not None:
            i += 1
            continue
        stretch = 0
        while i + stretch < len(mine) and mine[i + stretch].name is None:
            stretch += 1
        while stretch > 0:
            for name in run.composer.next_group(stretch):
                mine[i].name = name
                i += 1
                stretch -= 1


def build(rng):
    pool = NamePool()

    def composer(**kwargs):
        return Composer(rng, pool, **kwargs)

    runs = []

    runs.append(Run(1, 0xFFFFFFFF, 1, 0, head=["None"]))
    runs.append(Run(2, 0x00000000, 1, 0, head=["Default"]))

    classic = composer()
    runs.append(Run(
        3, 0x10005A26, 596, 300,
        head=["QsnBgScreen", "QsnBgAreaMain", "QsnBgAreaStatus", "QsnBgAreaControl"],
        tail=frame("QgnFsList"),
        blocks=[frame("QsnFrList"), frame("QsnFrSetting"), frame("QsnFrPopup"),
                ["QsnComponentColors", "QsnTextColors", "QsnIconColors", "QsnLineColors",
                 "QsnOtherColors", "QsnHighlightColors"],
                ["QgnIndiSignalStrength", "QgnIndiBatteryStrength"],
                ["QgnGrafBarWait", "QgnGrafBarFrame", "QgnGrafBarProgress"]],
        anchors={0x1180: "Wallpaper"},
        aliases=[("QgnPropNrtypPhone", "QgnIndiNrtypPhone", 1),
                 ("QgnPropNrtypEmail", "QgnIndiNrtypEmail", 7)],
        dips=3, composer=classic))

    runs.append(Run(
        4, 0x100056C6, 236, 0,
        head=["QgnIndiScrollUpMask", "QgnIndiScrollDownMask", "QgnIndiScrollLeftMask",
              "QgnIndiScrollRightMask", "QgnIndiScrollUpMaskDimmed", "QgnIndiScrollDownMaskDimmed",
              "QgnIndiScrollLeftMaskDimmed", "QgnIndiScrollRightMaskDimmed"],
        tail=["QgnGrafSwipeindiGreenAnimLeft", "QgnGrafSwipeindiGreenAnimRight",
              "QgnGrafSwipeindiRedAnimLeft", "QgnGrafSwipeindiRedAnimRight"],
        blocks=[["QgnPropFolderSmall", "QgnPropFolderMedium", "QgnPropFolderLarge"]],
        anchors={0x1042: "QgnPropFolderAppsMedium"},
        aliases=[("QgnPropFolderAppsMedium", "QgnMenuFolderApps", 1),
                 ("QgnPropFolderImagesMedium", "QgnMenuFolderImages", 1)],
        dips=1, composer=composer(qgn_categories=[("Prop", 50), ("Indi", 25), ("Graf", 25)])))

    runs.append(Run(5, 0x101F84B7, 37, 0, head=["QgnMenu%sLst" % a for a in MENU_APPS_LST]))
    runs.append(Run(6, 0x101F84B8, 41, 0, head=["QgnMenu%sCxt" % a for a in MENU_APPS_CXT]))
    runs.append(Run(7, 0x100056CF, 2, 2, head=["QsnBgPowersave", "QsnBgScreenSaver"]))

    call = composer(
        qgn_categories=[("Indi", 60), ("Graf", 25), ("Prop", 15)],
        qgn_subjects=["Call", "CallVideo", "CallVoip", "CallConf", "CallData", "CallFax",
                      "CallLine2", "CallWaiting", "CallHeld", "CallMuted", "CallDiverted",
                      "CallCiphering", "CallEmergency", "CallAlerting", "CallDisconn",
                      "Bubble", "BubbleFirst", "BubbleSecond", "Poc", "PocTalk", "PocListen"])
    runs.append(Run(
        8, 0x101F8553, 106, 36,
        head=["QgnIndiCallActive"],
        tail=frame("QsnFrCall") + frame("QsnFrCallBubble") + frame("QsnFrCallPoc") + [
            "QsnFrCallPocActiveTalk", "QsnFrCallPocActiveIdle", "QsnFrCallPocInactTalk",
            "QsnFrCallPocListen", "QsnFrCallPocInact", "QsnFrCallPocInactIdle"],
        composer=call))

    runs.append(Run(
        9, 0x10005901, 43, 43,
        head=frame("QsnFrCale") + frame("QsnFrCaleHeading") + frame("QsnFrCaleFocus") +
        ["QsnFrCaleToday", "QsnFrCaleWeekend", "QsnFrCaleHoliday"] + frame("QsnFrCaleSide")))

    runs.append(Run(
        10, 0x1000590B, 13, 10,
        head=["QsnFrPinb"] + ["QsnFrPinb" + p for p in FRAME_PARTS[:8]] + [
            "QsnFrPinbCenterWp", "QgnPropPinbLink", "QgnPropPinbWeb", "QgnPropPinbHelp"]))

    runs.append(Run(
        11, 0x101F4CD3, 6, 0,
        head=["QgnPropCbMsg", "QgnPropCbMsgUnread", "QgnPropCbSubs", "QgnPropCbSubsUnread",
              "QgnPropCbUnsubs", "QgnPropCbUnsubsUnread"]))

    runs.append(Run(12, 0x101F869E, 2, 0, head=["SoundRingingTone", "SoundMessageAlert"]))
    runs.append(Run(
        13, 0x101FD651, 6, 0,
        head=["PropertyListSeparatorLines", "PropertyGridSeparatorLines", "PropertyPopupShadow",
              "PropertyTransparency", "PropertyAnimBgMode", "PropertyAnimBgParam"]))

    runs.append(Run(
        14, 0x101F86E3, 3536, 400,
        head=["QgnBtConnectOn", "QgnBtConnectOff", "QgnBtConnectOnMask"],
        tail=["QsnFsScrollBgTop", "QsnFsScrollBgMiddle", "QsnFsScrollBgBottom",
              "QsnFsScrollHandleBottom", "QsnFsScrollHandleMiddle", "QsnFsScrollHandleTop"],
        blocks=[["QgnPropSetButton"], ["QsnAnimBgScreen"],
                ["QgnPropFolderSmallNew", "QgnPropFolderSmallNewMask"],
                ["QgnPropImTyping", "QgnPropImAway", "QgnPropImBusy"]],
        anchors={0x1039: "QgnImstatEmpty", 0x1135: "QgnPropBtCarkit",
                 0x139A: "QgnImStatEmpty", 0x1B43: "QgnPropBtCarKit"},
        aliases=[("QgnPropBtAudio", "QgnIndiBtAudio", 1),
                 ("QgnPropMemcardAdd", "QgnIndiMmcAdd", 1),
                 ("QgnPropWlanEasy", "QgnMenuWlanEasy", 1),
                 ("QgnPropUsbMemcSmall", "QgnIndiUsbMemc", 9),
                 ("QgnPropVoipCallActive", "QgnIndiVoipCallActive", 1),
                 ("QgnPropSetGeneGps", "QgnMenuSetGeneGps", 14)],
        dips=8, composer=composer()))

    runs.append(Run(
        15, 0x200100FC, 4, 0,
        head=["FsTextColors", "FsIconColors", "FsLineColors", "FsHighlightColors"]))

    runs.append(Run(
        16, 0x101F86E3, 478, 120,
        head=["QgnFscaIndiActionAnni"],
        tail=frame("QsnFrKeypadButton") + ["QsnFrKeypadButtonPressed"],
        blocks=[["IconApplicationDefault", "IconFolderDefault", "IconFileDefault",
                 "IconLinkOverlay", "IconDrmOverlay", "IconMissing"]],
        aliases=[("QgnPropFscaMeeting", "QgnIndiFscaMeeting", 1)],
        dips=1,
        composer=composer(qgn_categories=[("Fsca", 40), ("Indi", 20), ("Prop", 20),
                                          ("Graf", 20)],
                          qsn_frames=["Keypad", "KeypadButton", "Touch", "Button", "Input",
                                      "Toolbar", "Stylus", "Slider", "Wheel", "Choice"])))

    runs.append(Run(
        17, 0x10005A26, 370, 120,
        head=["QsnFrTake5"] + ["QsnFrTake5" + p for p in FRAME_PARTS],
        tail=frame("QgnHomeWmButtonPressed"),
        blocks=[["OperatorLogo"], ["PreviewThumbnail"]],
        aliases=[("QgnPropHomeWmAdd", "QgnIndiHomeWmAdd", 1)],
        dips=1,
        composer=composer(qgn_categories=[("Home", 50), ("Graf", 20), ("Prop", 20),
                                          ("Indi", 10)],
                          qgn_subjects=["Wm", "WmButton", "WmWidget", "WmEdit", "WmPanel",
                                        "Plugin", "Shortcut", "Clock", "Idle", "Bg",
                                        "Suggest", "Ticker", "Contact", "Calendar", "Feed"])))

    runs.append(Run(
        18, 0x101F86E3, 1512, 46,
        head=["QgnGrafBlidFlag", "QgnGrafBlidFlagMask", "QgnGrafBlidDirection",
              "QgnGrafBlidRing", "QgnGrafBlidTarget"],
        tail=["QgnPropModesThemes"],
        blocks=[["CamViewfinderFrame", "CamZoomBar", "CamZoomBarSlider", "CamFlashOn",
                 "CamFlashOff", "CamSelfTimer", "CamCaptureButton", "CamVideoRecord"],
                ["MuiBgArea", "MuiFrameMain", "MuiIconBack", "MuiIconNext", "MuiTextColors",
                 "MuiHighlight"],
                ["3dAudio"],
                ["QgnPropSetConnWlanSecurityWpaEnterpriseCertSelMask"]],
        aliases=[("QgnPropModesSilent", "QgnIndiModesSilent", 1),
                 ("QgnPropLmCategory", "QgnMenuLmCategory", 1),
                 ("QgnPropRadioStation", "QgnIndiRadioStation", 6)],
        dips=4, composer=composer()))

    # Every fixed name is claimed before any is composed. The second name of
    # each case-duplicate pair is claimed with the duplicate allowed.
    case_duplicates = {q("QgnImStatEmpty"), q("QgnPropBtCarKit")}
    for run in runs:
        for name in run.fixed_names():
            pool.claim([name], allow_case_duplicate=name in case_duplicates)

    rows = []

    def extend(run, minors):
        rows.extend(Row(m, run.number) for m in minors)

    def unique_count(run):
        return run.size - len(run.aliases)

    # Shape of the minors, run by run.
    by_number = {r.number: r for r in runs}
    extend(by_number[1], [0xFFFFFFFF])
    extend(by_number[2], [0])
    r3 = by_number[3]
    extend(r3, unique_minors(rng, 0x1000, 0x1000 + unique_count(r3) + 17, unique_count(r3),
                             r3.anchors))
    r4 = by_number[4]
    extend(r4, range(0x106, 0x106 + len(r4.head)))
    rest = unique_count(r4) - len(r4.head)
    extend(r4, unique_minors(rng, 0x1000, 0x1000 + rest + 5, rest, r4.anchors))
    extend(by_number[5], uid_minors(rng, 0x10005951, 37))
    extend(by_number[6], uid_minors(rng, 0x101F4CD2, 41))
    extend(by_number[7], [0x1000, 0x1001])
    extend(by_number[8], unique_minors(rng, 0, 105 + 4, 106, {}))
    extend(by_number[9], range(0x1000, 0x1000 + 43))
    extend(by_number[10], range(0x1000, 0x1000 + 13))
    extend(by_number[11], range(0x8, 0x8 + 6))
    extend(by_number[12], [0x1000, 0x1001])
    extend(by_number[13], range(0x1000, 0x3801, 0x800))
    # Runs 14, 16 and 18 share one major: one rising sequence over the three,
    # cut in run order, with run 15 between.
    shared = [by_number[14], by_number[16], by_number[18]]
    shared_minors = unique_minors(rng, 0x1000, 0x25C8, sum(unique_count(r) for r in shared),
                                  by_number[14].anchors)
    r15 = by_number[15]
    cut = 0
    for run in shared:
        extend(run, shared_minors[cut:cut + unique_count(run)])
        cut += unique_count(run)
        if run.number == 14:
            extend(r15, range(0x1000, 0x1301, 0x100))
    r17 = by_number[17]
    extend(r17, unique_minors(rng, 0x266C, 0x266C + unique_count(r17) + 8, unique_count(r17),
                              {}))
    rows.sort(key=lambda r: r.run)  # run 15 was appended between 14 and 16

    for run in runs:
        label_fixed(rows, run)
    for run in runs:
        place_aliases(rng, rows, run.aliases)
    for run in runs:
        if run.dips:
            add_dips(rng, rows, run.number, run.dips)
    for run in runs:
        place_blocks(rng, rows, run.number, run.blocks)
    for run in runs:
        if run.composer is not None:
            fill_run(rows, run)
    majors = {r.number: r.major for r in runs}
    return runs, [(r.name, majors[r.run], r.minor, r.run) for r in rows]


# ---------------------------------------------------------------------------
# Checks


def check(runs, table):
    problems = []

    def expect(cond, what):
        if not cond:
            problems.append(what)

    expect(len(table) == 6990, "6990 rows")
    expect(all(name is not None for name, _, _, _ in table), "every row named")
    if problems:
        return problems
    for run in runs:
        mine = [row for row in table if row[3] == run.number]
        expect(len(mine) == run.size, "run %d size" % run.number)
        expect(all(row[1] == run.major for row in mine), "run %d major" % run.number)
        expect(sum(1 for row in mine if family(row[0]) == "Qsn") == run.qsn,
               "run %d Qsn count" % run.number)
    families = {}
    for name, _, _, _ in table:
        families[family(name)] = families.get(family(name), 0) + 1
    want = {"Qgn": 5875, "Qsn": 1077, "Cam": 8, "Property": 6, "Mui": 6, "Icon": 6, "Fs": 4,
            "Sound": 2, "None": 1, "Default": 1, "Wallpaper": 1, "3d": 1, "Operator": 1,
            "Preview": 1}
    expect(families == want, "families %r" % families)
    expect(all(name.startswith(PREFIX) and len(name) <= MAX_NAME for name, _, _, _ in table),
           "prefix and length")
    expect(max(len(name) for name, _, _, _ in table) == MAX_NAME, "one name of the longest length")
    folded = {}
    for name, _, _, _ in table:
        folded.setdefault(name.lower(), []).append(name)
    dups = sorted(v for v in folded.values() if len(v) > 1)
    expect(dups == [[q("QgnImstatEmpty"), q("QgnImStatEmpty")],
                    [q("QgnPropBtCarkit"), q("QgnPropBtCarKit")]], "case duplicates %r" % dups)
    ids = {}
    for name, major, minor, _ in table:
        ids.setdefault((major, minor), []).append(name)
    expect(sum(1 for v in ids.values() if len(v) == 2) == 15, "fifteen aliases")
    expect(all(len(v) <= 2 for v in ids.values()), "at most two names an identifier")
    return problems


def render(table):
    lines = ["# Built-in item identifiers (name, major, minor); generated by "
             "tools/item_table/make_item_table.py, do not edit by hand."]
    for name, major, minor, _ in table:
        lines.append("%s 0x%08X 0x%X" % (name, major, minor))
    return "\n".join(lines) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default_out = os.path.normpath(os.path.join(here, "..", "..", "source", "item_ids.txt"))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-o", "--output", default=default_out)
    parser.add_argument("--check", action="store_true",
                        help="compare with the existing file instead of writing it")
    args = parser.parse_args()

    runs, table = build(Rng(SEED))
    problems = check(runs, table)
    if problems:
        for p in problems:
            print("table check failed: " + p, file=sys.stderr)
        return 1
    text = render(table)
    if args.check:
        with open(args.output, encoding="ascii", newline="") as f:
            same = f.read() == text
        print("%s is %s" % (args.output, "up to date" if same else "OUT OF DATE"))
        return 0 if same else 1
    with open(args.output, "w", encoding="ascii", newline="\n") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
