#!/usr/bin/env python3
"""The plug-in's property list, the record a host reads without loading the code: the filter's
kind, menu command and category, interface version, entry point, supported modes, terminology,
enable expression, size limit, filter-layer support and how each filter case is handled.

One description, written out twice:
  make_property_list.py rc  OUT.rc    the Windows resource (PIPL 16000, US English)
  make_property_list.py cpp OUT.cpp   the same bytes for the Linux library and the test programs

Layout: a 16-bit 1, a 32-bit 0 (list version), a 32-bit count, then each property: vendor
'8BIM', key, id 0, data length (a multiple of four, the padding counted), the padded data.
Integers are little-endian; four-character codes are stored as 32-bit integers, so '8BIM'
reads "MIB8".
"""

import struct
import sys


def code(text):
    return struct.pack("<I", int.from_bytes(text.encode("ascii"), "big"))


def pascal(text):
    return bytes([len(text)]) + text.encode("ascii")


def cstring(text):
    return text.encode("ascii") + b"\0"


# Interface version 4.0: hosts read the 32-bit value as (major << 16) | minor and refuse a
# filter newer than the interface they implement.
INTERFACE_VERSION = struct.pack("<HH", 0, 4)

# Filter case information, one entry per case in the host's order: input handling, output
# handling, flags, reserved. Handling 1: the host passes the data unchanged. Flags: 0x02 works
# with blank data, 0x04 filters the layer mask. No case sets 0x08 (writes outside the selection),
# so the host masks and feathers the result by the selection.
FILTER_CASES = [
    (1, 1, 0x06, 0),  # flat image, no selection
    (1, 1, 0x06, 0),  # flat image with selection
    (1, 1, 0x06, 0),  # floating selection
    (1, 1, 0x06, 0),  # editable transparency, no selection
    (1, 1, 0x06, 0),  # editable transparency with selection
    (1, 1, 0x06, 0),  # protected transparency, no selection
    (1, 1, 0x06, 0),  # protected transparency with selection
]

SCOPE = "d9543b0c-3c91-11d4-97bc-43c134052017"  # also the key of the last used values

PROPERTIES = [
    ("kind", code("8BFM")),  # a filter
    ("name", pascal("Vortiflux...")),  # the menu command
    ("catg", pascal("Nimbrook")),  # the submenu
    ("vers", INTERFACE_VERSION),
    ("cmpt", INTERFACE_VERSION + cstring("Vortiflux")),
    ("8664", cstring("PluginMain")),  # entry point of the 64-bit x86 code
    # The mode flags, highest bit first: greyscale 0x40, RGB 0x10 and CMYK 0x08 in the first
    # byte; Gray16 0x20, RGB48 0x10 and CMYK64 0x04 in the second.
    ("mode", bytes([0x58, 0x34, 0, 0])),
    # Terminology: version, class and event code, resource id, scope, padded to 56 bytes.
    ("hstm", (struct.pack("<I", 0) + code("VxFp") + code("VxFp") + struct.pack("<H", 16000) + cstring(SCOPE)).ljust(56, b"\0")),
    ("enbl", cstring("in (PSHOP_ImageMode, RGBMode, CMYKMode, GrayScaleMode, Gray16Mode, RGB48Mode, CMYK64Mode)")),
    ("ms32", struct.pack("<ii", 2000000, 2000000)),  # largest image: height, width
    ("flly", bytes([0x80, 0, 0, 0])),  # may run as a re-editable filter layer
    ("fici", b"".join(bytes(entry) for entry in FILTER_CASES)),
]


def property_list():
    out = struct.pack("<hii", 1, 0, len(PROPERTIES))
    for key, data in PROPERTIES:
        padded = data + b"\0" * (-len(data) % 4)
        out += code("8BIM") + code(key) + struct.pack("<ii", 0, len(padded)) + padded
    return out


def resource_script(data):
    words = struct.unpack("<%dH" % (len(data) // 2), data)
    rows = [", ".join("0x%04X" % w for w in words[i : i + 8]) for i in range(0, len(words), 8)]
    return (
        "// Made by resources/make_property_list.py; edit that script instead.\n"
        "LANGUAGE 9, 1 // English (United States), 1033\n\n"
        "16000 PIPL\nBEGIN\n    " + ",\n    ".join(rows) + "\nEND\n"
    )


def cpp_source(data):
    rows = [", ".join("0x%02X" % b for b in data[i : i + 16]) for i in range(0, len(data), 16)]
    return (
        "// Made by resources/make_property_list.py; edit that script instead.\n"
        "// The property list as the Linux library carries it (the Windows library has it as a resource).\n"
        "#include <cstddef>\n#include <cstdint>\n\n"
        "#ifdef _WIN32\n#define VF_PROPERTY_LIST_EXPORT\n#else\n"
        '#define VF_PROPERTY_LIST_EXPORT __attribute__((visibility("default")))\n#endif\n\n'
        'extern "C" VF_PROPERTY_LIST_EXPORT const uint8_t PluginPropertyList[] = {\n    '
        + ",\n    ".join(rows)
        + "\n};\n"
        'extern "C" VF_PROPERTY_LIST_EXPORT const size_t PluginPropertyListSize = sizeof PluginPropertyList;\n'
    )


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("rc", "cpp"):
        sys.exit("usage: make_property_list.py rc|cpp OUTPUT")
    data = property_list()
    text = resource_script(data) if sys.argv[1] == "rc" else cpp_source(data)
    with open(sys.argv[2], "w", newline="\n") as out:
        out.write(text)


if __name__ == "__main__":
    main()
