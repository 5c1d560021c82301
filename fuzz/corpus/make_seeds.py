#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets, one folder per target beside this script.

The seeds are small inputs that reach the interesting paths at once: the texts of the edge cases the
unit tests pin, and for the event fuzzer the operator's road of one edit, a start-up without devices,
the poll completing and the parent requests with their releases. Run it after changing an input layout;
the fuzzers add their own finds to a scratch copy, never to these folders. Inputs a fuzzer once failed on
are kept apart, in fuzz/regressions/<target>/, and replayed before every run.
"""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent


def text(value: bytes) -> bytes:
    """A text as FuzzInput reads it: a length byte (255: two more, little-endian), then the bytes."""
    if len(value) < 255:
        return bytes([len(value)]) + value
    return bytes([255]) + struct.pack("<H", len(value)) + value


def int32(value: int) -> bytes:
    return struct.pack("<i", value)


def write(target: str, name: str, data: bytes) -> None:
    folder = HERE / target
    folder.mkdir(exist_ok=True)
    (folder / name).write_bytes(data)


# --- parseCommand: the whole input is the message --------------------------------------------------------
for name, message in {
    "return_all": b"return=all",
    "events": b"_events",
    "cell_value": b"cell.3.1=a.b",
    "leading_dot": b".x.y",
    "several_equals": b"myParam=a=b",
    "equals_first": b"=abc",
    "dots_33": b"c" + b"".join(b".s%d" % i for i in range(33)) + b"=v",
}.items():
    write("parse_command", name, message)

# --- decodeORVOString: a quote selector byte (0: the single quote), then the answer ---------------------
for name, answer in {
    "device_offset": b"12 0",
    "leading_blank": b" 12 0",
    "quoted_field": b"'x y' z",
    "empty_quoted": b"a '' b",
    "adjacent_quotes": b"'a''b'",
    "unclosed": b"'abc",
    "tab_inside": b"a\tb",
    "fields_33": b" ".join(b"f%d" % i for i in range(33)),
    "quotes_40": b" ".join([b"''"] * 40),
}.items():
    write("decode_orvo_string", name, b"\x00" + answer)

# --- arg: the format, then fills (op % 3: 0 text, 1 C text, 2 integer with fill, width, base) -----------
TEXTGET = (b'textGet: value returned "%1" was not the value requested "%2" (value returned was "%3" '
           b'from control "%4", on panel "%5")')
write("string_arg", "textget_line",
      text(TEXTGET) + b"".join(b"\x00" + text(v) for v in (b"SelectedIndex", b"selectedindex",
                                                           b"SelectedIndex=3", b"Mixer", b"1")))
write("string_arg", "cell_number", text(b"cell.%1.1=%2") + b"\x02" + int32(2) + b"\x00\x00\x0a"
      + b"\x02" + int32(12) + b"\x80\x03\x0a")
write("string_arg", "odd_markers", text(b"%10%0%%1 %9%") + b"\x00" + text(b"%2") + b"\x01" + text(b"x")
      + b"\x02" + int32(-2147483648) + b"\x80\x0c\x02")
write("string_arg", "lookup", text(b"SD '%1'") + b"\x00" + text(b"DAZ Tally Infodriver"))

# --- split, toInt: separator byte, replacement byte, then the text ---------------------------------------
for name, value in {
    "key_value": b"=|selectedindex=3",
    "no_separator": b"=|selectedindex",
    "several": b"=|a=b=c",
    "name_bars": b"| Camera|1|left",
    "minus_one": b"= -1",
    "blanks_sign": b"= \t+42abc",
    "too_big": b"= 99999999999",
    "int_min": b"= -2147483648",
    "past_int_max": b"= 2147483648",
}.items():
    write("string_split_toint", name, value)

# --- stringlist: separator byte, joining byte, then the text ---------------------------------------------
for name, value in {
    "controls": b",\nalm_1,alm_2",
    "empty_entries": b",\na,,b",
    "only_separator": b",\n,",
    "no_join": b",\x00a,b,c",
}.items():
    write("stringlist", name, value)

# --- the Corvane event sequence ---------------------------------------------------------------------------
PANEL_1 = b"\x06"  # kPanels[6 % 6] == "1"
CONTROLS = {name: bytes([10 + i]) for i, name in enumerate(
    ["Mixer", "Dest", "Clear", "Select", "Deselect", "Network", "Restore", "ActionAll", "AckAll"])}


def button(control: str, message: bytes) -> bytes:
    return b"\x01" + PANEL_1 + CONTROLS[control] + b"\x01" + text(message) + int32(0) + int32(0)


def revertive(slot: int, value: bytes, device_choice: int = 0) -> bytes:
    return b"\x00" + bytes([device_choice, slot - 175]) + text(value)


def parent(request: bytes) -> bytes:
    return b"\x02\x01" + text(request)


def events(answers: bytes, sequence: bytes, with_host: bool = True) -> bytes:
    return struct.pack("<H", len(answers)) + answers + (b"\x01" if with_host else b"\x00") + text(b"") + sequence


ROAD = (button("Mixer", b"selected") + button("Dest", b"index=12") + button("Select", b"pressed")
        + button("Network", b"pressed") + revertive(183, b"12"))
write("corvane_events", "road_of_one_edit", events(b"", ROAD))
write("corvane_events", "poll_completes",
      events(b"", b"\x03\x00" + b"".join(revertive(181 + i, b"%d" % i) for i in range(16)) + b"\x03\x00"
             + b"\x03\x01" + button("Restore", b"pressed")))
# The layout loads (the answer byte of PI), then neither instance name is known.
write("corvane_events", "devices_missing", events(b"\x01\x00\x00", ROAD + b"\x03\x00"))
write("corvane_events", "parent_requests",
      events(b"", parent(b"myParam=abc") + parent(b"return=all") + parent(b"return=myParam")
             + parent(b"instance=cam2") + parent(b"_events") + parent(b"_commands")
             + b"\x04\x01\x00" + b"\x04\x04" + b"\x04\x03" + b"\x04\x02\x01" + b"\x04\x00"))
write("corvane_events", "odd_kinds_no_host",
      events(b"", b"\x05\x00" + b"\x06" + int32(-7) + b"\x07" + int32(-2147483648) + b"\x03\x03" + int32(-1)
             + b"\x08" + text(b"layouts") + ROAD, with_host=False))
