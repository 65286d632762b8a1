"""intel_hex.py: writes Intel HEX files and compares a flash dump with the bytes it should hold."""

ERASED = 0xFF

_DATA, _END_OF_FILE, _EXTENDED_LINEAR_ADDRESS = 0x00, 0x01, 0x04


def _record(kind, offset, payload):
    body = bytes([len(payload), offset >> 8, offset & 0xFF, kind]) + payload
    return ":" + body.hex().upper() + f"{-sum(body) & 0xFF:02X}\n"


def hex_text(data, address=0, record_size=16):
    """The Intel HEX text of `data` placed at `address`.

    Data records hold at most `record_size` bytes and never cross a 64 KiB boundary; an extended
    linear address record comes first wherever the upper 16 address bits change.
    """
    if not 1 <= record_size <= 255:
        raise ValueError(f"record size {record_size} is not between 1 and 255")
    if address < 0 or address + len(data) > 1 << 32:
        raise ValueError(f"{len(data)} bytes at {address:#x} do not fit 32-bit addresses")
    lines = []
    upper = 0
    position = 0
    while position < len(data):
        absolute = address + position
        if absolute >> 16 != upper:
            upper = absolute >> 16
            lines.append(_record(_EXTENDED_LINEAR_ADDRESS, 0, upper.to_bytes(2, "big")))
        size = min(record_size, len(data) - position, 0x10000 - (absolute & 0xFFFF))
        lines.append(_record(_DATA, absolute & 0xFFFF, bytes(data[position:position + size])))
        position += size
    lines.append(_record(_END_OF_FILE, 0, b""))
    return "".join(lines)


def write_hex(path, data, address=0, record_size=16):
    """Writes `data` placed at `address` to an Intel HEX file at `path`."""
    with open(path, "w", newline="\n") as file:
        file.write(hex_text(data, address, record_size))


def flash_image(size, segments, base=None):
    """The memory expected after programming: `base` (by default erased, all 0xFF) with each
    (address, data) of `segments` written over it."""
    image = bytearray(base if base is not None else bytes([ERASED]) * size)
    if len(image) != size:
        raise ValueError(f"base holds {len(image)} bytes, not {size}")
    for address, data in segments:
        if address < 0 or address + len(data) > size:
            raise ValueError(f"{len(data)} bytes at {address:#x} do not fit {size} bytes")
        image[address:address + len(data)] = data
    return bytes(image)


def differences(actual, expected, limit=5):
    """'' when the two memories are equal; otherwise a short account of how they differ: the sizes,
    and the first `limit` address ranges where they do not match."""
    notes = []
    if len(actual) != len(expected):
        notes.append(f"size {len(actual)}, expected {len(expected)}")
    common = min(len(actual), len(expected))
    ranges = []
    address = 0
    while address < common:
        if actual[address] == expected[address]:
            address += 1
            continue
        start = address
        while address < common and actual[address] != expected[address]:
            address += 1
        ranges.append((start, address))
    for first, end in ranges[:limit]:
        shown = slice(first, min(end, first + 8))
        notes.append(f"[{first:#06x}, {end:#06x}): got {bytes(actual[shown]).hex()}, "
                     f"expected {bytes(expected[shown]).hex()}")
    if len(ranges) > limit:
        notes.append(f"and {len(ranges) - limit} more ranges")
    return "; ".join(notes)
