#!/usr/bin/env python3
"""Writes the seed corpus of alarm_parser_fuzz: one input per reply kind of the alarm module,
each in the input format described at the top of alarm_parser_fuzz.cpp. Run it from anywhere;
it replaces tests/fuzz/corpus/seed_*."""

import pathlib

P = bytes.fromhex("1A2A3A4A5A6A7A8A")
SETTLE = bytes([0x80 | 20])

TAB = 0x01
WORK_ACTIVE = 0x02
TRANSFER_FORMAT = 0x08
TRANSFER_OTHER = 0x10
DI_WRITE = 0x20
DO_WRITE = 0x40
NO_VIEW = 0x80


def pieces(data, size):
    """The bytes as inject operations of at most size bytes each."""
    out = bytearray()
    for i in range(0, len(data), size):
        chunk = data[i:i + size]
        out += bytes([len(chunk) - 1]) + chunk
    return bytes(out)


def seed(config, extra, data, size=128):
    return bytes([config, extra]) + pieces(data, size) + SETTLE


def record(checksum_ok, length):
    body = bytes([3, 2, 6, 0x85]) + b"\x0e" + b"ALARM".ljust(90, b"\0")
    body += "设备已开启\r\n".encode("utf-16-be").ljust(90, b"\0") + bytes([5, 3])
    body = body[:length]
    cs = sum(body) % 256
    return bytes([0, length + 1, cs if checksum_ok else (cs + 1) % 256]) + body


def relay(length):
    body = bytes([2, 3, 10, 5, 7, 6, 0x82]) + "设备关".encode("utf-16-be").ljust(60, b"\0")
    body += b"ON".ljust(60, b"\0") + bytes([1, 0])
    body = body[:length]
    return bytes([0, length + 1, sum(body) % 256]) + body


table = bytes.fromhex("010123456789013800138000").ljust(120, b"\0")

SEEDS = {
    "fd": seed(TAB, 0, P + b"\xfd\x01"),
    "fd4": seed(TAB, 0, P + b"\xfd\x04\x02"),
    "f8": seed(TAB, 0, P + b"\xf8\x00\x00" + P + b"\xf8\x00\x01"),
    "f9": seed(TAB, 0, P + b"\xf9\x00\x01" + P + b"\xf9\x00\x00"),
    "a2": seed(TAB, 0, P + bytes.fromhex("A2 00 01 01 23 45 67 89")),
    "a1": seed(TAB, 0, P + b"\xa1\x00\x00" + P + b"\xa1\x00\x01" + P + b"\xa1\x00\x03"),
    "f1": seed(TAB, 0, P + bytes.fromhex("F1 00 31 52 24 08")),
    "ec": seed(TAB, 0, P + b"\xec\x00  V3.05    "),
    "ec_text": seed(TAB, 0, P + b"\xecSETFAIL:"),
    "e2": seed(TAB, 0, P + bytes.fromhex("E2 00 1A 2B")),
    "f2": seed(TAB, 0, P + bytes.fromhex("F2 00 06")),
    "a3": seed(TAB, 0, P + bytes.fromhex("A3 00 00 00 2E E0")),
    "fb": seed(TAB, 0, P + b"\xfb\x00\x00" + P + b"\xfb\x00\x01"),
    "e1": seed(TAB, 0, P + bytes.fromhex("E1 00 05 0A 10 01")),
    "d3": seed(TAB, 0, P + b"\xd3\x00\x01"),
    "d2": seed(TAB, 0, P + bytes.fromhex("D2 00 00 03 00 19")),
    "db": seed(TAB, 0, P + b"\xdb\x00\x01"),
    "ab": seed(TAB, 0, P + bytes.fromhex("AB 00 0A 05")),
    "ac": seed(TAB, 0, P + bytes.fromhex("AC 00 01 02 03 00 01 02 03 04")),
    "d9_read": seed(TAB, 0, P + b"\xd9\x00" + bytes([(sum(table) + 2) % 256, 2]) + table, 16),
    "d9_count21": seed(TAB, 0, P + b"\xd9\x00\x00\x15"),
    "d9_write": seed(TAB, 1, P + b"\xd9\x00SETOK:"),
    "d9_clear": seed(TAB, 2, P + b"\xd9\x00CLRFAIL:"),
    "b4_write": seed(TAB | DI_WRITE, 0, P + b"\xb4\x02\x03SETOK:"),
    "b5_write": seed(TAB | DO_WRITE, 0, P + b"\xb5\x03SETFAIL:"),
    "b4_read": seed(TAB, 0, P + b"\xb4" + record(True, 187), 32),
    "b4_read_bad": seed(TAB, 0, P + b"\xb4" + record(False, 187)),
    "b4_read_short": seed(TAB, 0, P + b"\xb4" + record(True, 40)),
    "b5_read": seed(TAB, 0, P + b"\xb5" + relay(129), 8),
    "a5_a7": seed(TAB | DI_WRITE | DO_WRITE, 0,
                  P + b"\xa5\x03SETOK:" + P + b"\xa7\x03SETOK:", 7),
    "input_state": seed(TAB | NO_VIEW, 4, b"<1>"),
    "bad_preamble": seed(TAB, 0, bytes.fromhex("1A2A3A4A5A6A7A8B") + P + b"\xf9\x00\x01"),
    "passive": seed(0, 1 << 3, b"!\x12\x34\x00\x05ABCD"),
    "passive_state": seed(0, 2 << 3, b"!\x12\x34\x00\x02\x00?\x01\x02\x03"),
    "passive_sent": seed(0, 3 << 3, b"!\x12\x34\x05"),
    "active_transparent": seed(WORK_ACTIVE, 0, b"hello module"),
    "active_format": seed(WORK_ACTIVE | TRANSFER_FORMAT, 0,
                          bytes.fromhex("D7 FA D7 FC D7 FF D7 01 41 42")),
    "active_other": seed(WORK_ACTIVE | TRANSFER_OTHER, 0, b"\xd7\xfa"),
    # A tab switch and a refresh in the middle of replies, then a send that sets threshold 1.
    "actions": bytes([TAB, 0]) + pieces(P + b"\xd9\x00", 64) + bytes([0xC2]) +
               pieces(b"SETOK:", 64) + bytes([0xC2, 0xC7, 0xC0]) + pieces(b"<0", 64) +
               bytes([0xC5, 0xC0, 0x80 | 10]),
}


def main():
    folder = pathlib.Path(__file__).resolve().parent / "corpus"
    folder.mkdir(exist_ok=True)
    for old in folder.glob("seed_*"):
        old.unlink()
    for name, data in SEEDS.items():
        (folder / f"seed_{name}").write_bytes(data)
    print(f"{len(SEEDS)} seeds in {folder}")


if __name__ == "__main__":
    main()
