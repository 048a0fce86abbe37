#!/usr/bin/env python3
"""Reads the resource section of a Windows program and checks what Windows
will find there: the icon group (the same pictures as the .ico), the version
information (from the VERSION file) and the manifest (Windows 10/11, DPI
awareness, no elevation).

Usage: pe_resources.py EXE ICO VERSION_FILE
Prints one line per resource kind; exits 1 naming the first thing wrong."""
import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
WINDOWS_10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


def fail(message):
    sys.exit("FAIL: " + message)


def resources(exe):
    """{type: {name: {language: bytes}}} from the PE resource directory."""
    if exe[:2] != b"MZ":
        fail("not an MZ executable")
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    if exe[pe:pe + 4] != b"PE\0\0":
        fail("no PE signature")
    sections, optional_size = struct.unpack_from("<H12xH", exe, pe + 6)
    optional = pe + 24
    if struct.unpack_from("<H", exe, optional)[0] != 0x20B:
        fail("not a PE32+ optional header")
    # Data directory 2 (resources) of a PE32+ header.
    rsrc_rva, rsrc_size = struct.unpack_from("<II", exe, optional + 112 + 2 * 8)
    if rsrc_rva == 0 or rsrc_size == 0:
        fail("no resource directory")
    table = optional + optional_size
    spans = []
    for i in range(sections):
        virtual_size, address, raw_size, raw_at = struct.unpack_from("<IIII", exe, table + 40 * i + 8)
        spans.append((address, max(virtual_size, raw_size), raw_at))

    def at(rva):
        for address, size, raw_at in spans:
            if address <= rva < address + size:
                return raw_at + rva - address
        fail("RVA %#x lies in no section" % rva)

    base = at(rsrc_rva)

    def directory(offset):
        named, ids = struct.unpack_from("<HH", exe, base + offset + 12)
        for k in range(named + ids):
            name, target = struct.unpack_from("<II", exe, base + offset + 16 + 8 * k)
            if name & 0x80000000:
                length = struct.unpack_from("<H", exe, base + (name & 0x7FFFFFFF))[0]
                start = base + (name & 0x7FFFFFFF) + 2
                name = exe[start:start + 2 * length].decode("utf-16-le")
            yield name, target

    def data(offset):
        rva, size = struct.unpack_from("<II", exe, base + offset)
        return exe[at(rva):at(rva) + size]

    tree = {}
    for kind, names in directory(0):
        if not names & 0x80000000:
            fail("resource type %s is not a directory" % kind)
        for name, languages in directory(names & 0x7FFFFFFF):
            for language, entry in directory(languages & 0x7FFFFFFF):
                if entry & 0x80000000:
                    fail("resource %s/%s/%s nests too deep" % (kind, name, language))
                tree.setdefault(kind, {}).setdefault(name, {})[language] = data(entry)
    return tree


def only(tree, kind, what):
    """The single resource of a type, which must be named 1 in one language."""
    names = tree.get(kind)
    if not names:
        fail("no %s resource" % what)
    if list(names) != [1] or len(names[1]) != 1:
        fail("%s resources: expected just #1 in one language, found %s" %
             (what, {n: list(l) for n, l in names.items()}))
    return next(iter(names[1].values()))


def check_icon(tree, ico):
    reserved, kind, count = struct.unpack_from("<HHH", ico, 0)
    if (reserved, kind) != (0, 1) or count == 0:
        fail("the .ico file is not an icon")
    group = only(tree, RT_GROUP_ICON, "icon group")
    if struct.unpack_from("<HHH", group, 0) != (0, 1, count):
        fail("the icon group header %s does not announce %d icons" % (struct.unpack_from("<HHH", group, 0), count))
    if len(group) != 6 + 14 * count:
        fail("the icon group is %d bytes, not %d" % (len(group), 6 + 14 * count))
    icons = tree.get(RT_ICON, {})
    sizes = []
    for k in range(count):
        w, h, colours, _, planes, bits, length, image_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * k)
        fw, fh, fcolours, _, fplanes, fbits, flength, foffset = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * k)
        if (w, h, colours, planes, bits, length) != (fw, fh, fcolours, fplanes, fbits, flength):
            fail("icon %d of the group differs from the .ico's entry" % k)
        if image_id not in icons or len(icons[image_id]) != 1:
            fail("icon %d of the group names image #%d, which is not there once" % (k, image_id))
        if next(iter(icons[image_id].values())) != ico[foffset:foffset + flength]:
            fail("image #%d is not the .ico's picture %d" % (image_id, k))
        sizes.append(w or 256)
    if len(icons) != count:
        fail("%d icon images for a group of %d" % (len(icons), count))
    print("icon: %d pictures (%s pixels), the same bytes as the .ico" % (count, ", ".join(map(str, sizes))))


def version_blocks(block):
    """(key, value, children) of one VS_VERSIONINFO-style block."""
    length, value_length, text = struct.unpack_from("<HHH", block, 0)
    end = 6
    while block[end:end + 2] != b"\0\0":
        end += 2
    key = block[6:end].decode("utf-16-le")
    at = (end + 2 + 3) & ~3
    if text:
        value = block[at:at + 2 * value_length].decode("utf-16-le").rstrip("\0")
        at += 2 * value_length
    else:
        value = block[at:at + value_length]
        at += value_length
    at = (at + 3) & ~3
    children = []
    while at < length:
        child_length = struct.unpack_from("<H", block, at)[0]
        if child_length == 0:
            fail("an empty block in the version information")
        children.append(version_blocks(block[at:at + child_length]))
        at = (at + child_length + 3) & ~3
    return key, value, children


def check_version(tree, version):
    key, fixed, children = version_blocks(only(tree, RT_VERSION, "version"))
    if key != "VS_VERSION_INFO" or len(fixed) != 52:
        fail("the version resource starts with %r and %d bytes of fixed information" % (key, len(fixed)))
    (signature, _, file_ms, file_ls, product_ms, product_ls, _, _, file_os, file_type,
     _, _, _) = struct.unpack("<13I", fixed)
    if signature != 0xFEEF04BD:
        fail("the fixed file information's signature is %#x" % signature)
    major, minor, patch = (int(part) for part in version.split("."))
    expected = ((major << 16) | minor, patch << 16)
    if (file_ms, file_ls) != expected or (product_ms, product_ls) != expected:
        fail("binary file/product version %#x.%#x / %#x.%#x, expected %#x.%#x" %
             (file_ms, file_ls, product_ms, product_ls, *expected))
    if (file_os, file_type) != (0x40004, 1):
        fail("file OS %#x and type %d: not a Windows NT application" % (file_os, file_type))
    strings, translation = {}, None
    for child_key, _, grandchildren in children:
        if child_key == "StringFileInfo":
            for table, _, entries in grandchildren:
                if table.lower() != "040904b0":
                    fail("a string table for %s, not U.S. English in Unicode" % table)
                strings.update((name, text) for name, text, _ in entries)
        elif child_key == "VarFileInfo":
            for name, value, _ in grandchildren:
                if name == "Translation":
                    translation = struct.unpack("<HH", value)
    expected_strings = {"CompanyName": "Mox-Space", "ProductName": "tiral25-invite",
                        "FileVersion": version, "ProductVersion": version,
                        "OriginalFilename": "tiral25-invite.exe", "InternalName": "tiral25-invite"}
    for name, text in expected_strings.items():
        if strings.get(name) != text:
            fail("%s is %r, expected %r" % (name, strings.get(name), text))
    if "Mox-Space" not in strings.get("FileDescription", ""):
        fail("the description %r does not name the group" % strings.get("FileDescription"))
    if translation != (0x0409, 1200):
        fail("the translation is %s, not U.S. English in Unicode" % (translation,))
    print("version: %s (%s, %s); %s" % (version, strings["ProductName"], strings["CompanyName"],
                                        strings["FileDescription"]))


def check_manifest(tree, version):
    manifest = only(tree, RT_MANIFEST, "manifest")
    try:
        root = ElementTree.fromstring(manifest)
    except ElementTree.ParseError as error:
        fail("the manifest is not well-formed XML: %s" % error)
    v1 = "{urn:schemas-microsoft-com:asm.v1}"
    v3 = "{urn:schemas-microsoft-com:asm.v3}"
    compatibility = "{urn:schemas-microsoft-com:compatibility.v1}"
    settings_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
    settings_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
    if root.tag != v1 + "assembly" or root.get("manifestVersion") != "1.0":
        fail("the manifest's root is %s" % root.tag)
    identity = root.find(v1 + "assemblyIdentity")
    if identity is None or identity.get("version") != version + ".0" or identity.get("type") != "win32":
        fail("the assembly identity does not carry version %s.0" % version)
    systems = [e.get("Id") for e in root.iter(compatibility + "supportedOS")]
    if systems != [WINDOWS_10_AND_11]:
        fail("supported systems %s, expected Windows 10/11 only" % systems)
    aware = root.find("%sapplication/%swindowsSettings/%sdpiAware" % (v3, v3, settings_2005))
    awareness = root.find("%sapplication/%swindowsSettings/%sdpiAwareness" % (v3, v3, settings_2016))
    if aware is None or aware.text.strip().lower() != "true/pm":
        fail("dpiAware is not true/pm")
    if awareness is None or [s.strip() for s in awareness.text.split(",")][0] != "PerMonitorV2":
        fail("dpiAwareness does not ask for PerMonitorV2 first")
    level = root.find("%strustInfo/%ssecurity/%srequestedPrivileges/%srequestedExecutionLevel" % ((v3,) * 4))
    if level is None or level.get("level") != "asInvoker":
        fail("the program would ask for elevation")
    print("manifest: Windows 10/11, dpiAware %s, dpiAwareness %s, asInvoker" %
          (aware.text.strip(), awareness.text.strip()))


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    exe = open(sys.argv[1], "rb").read()
    ico = open(sys.argv[2], "rb").read()
    version = open(sys.argv[3]).readline().strip()
    tree = resources(exe)
    unexpected = sorted(set(tree) - {RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST}, key=str)
    if unexpected:
        fail("resources of unexpected types: %s" % unexpected)
    check_icon(tree, ico)
    check_version(tree, version)
    check_manifest(tree, version)


main()
