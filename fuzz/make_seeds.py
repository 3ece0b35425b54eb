#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets from the inputs of the tests.

Each seed starts with the mode byte of fuzz/harness.h: 0x02 reads the input
in 132-byte pieces as from a file, 0x03 line by line as from a terminal,
0x10 in pieces of 3 bytes. Run from fuzz/: python3 make_seeds.py
"""
import os
import struct

FILE, TERMINAL, SMALL_PIECES = b"\x02", b"\x03", b"\x10"

PASS = b"100\n2 1.5\n20\n0 0\n0.1\n"
PASSES = {
    "example": PASS + b"0\n",
    "stick": b"100\n2 1.5\n20\n0 0\n1.0\n0\n",
    "mixed": b"200\n1 0.8\n30\n0 0\n0.2\n0\n",
    "tensions": b"100\n2 1.5\n20\n2 1\n0.1\n0\n",
    "no_neutral_point": b"100\n2 1.5\n20\n0 15\n0.1\n0\n",
    "no_reduction": b"100\n2 2\n20\n0 0\n0.1\n0\n",
    "two_passes": PASS + b"1\n200,1,.8\n30\n/\n.2\n2\n",
    "repeats": b"100\n2*1.5\n20\n2*\n0.1\n+1\n,\n,\n,\n,\n,\n0\n",
    "zero_friction": b"100\n2 1.5\n20\n0 0\n0\n",
    "thicker_after": b"100\n1.5 2\n20\n0 0\n0.1\n",
    "twice_radius": b"1\n3 1\n20\n0 0\n0.1\n",
    "far_tension": b"100\n2 1.5\n20\n0 1000\n0.1\n",
    "crlf": PASS.replace(b"\n", b"\r\n") + b"0\r\n",
    "ctrl_z": b"100\n2 1.5\n\x1a\r\n",
    "end_of_input": PASS,
}

READER = {
    "forms": b"1.5D2 1.5e+2 150 1.5+2 .5 5. -0 +7\n",
    "separators": b"20 , 10\n20,10\n,10\n/\n20\t10 5\n",
    "repeats": b"2*15\n2*\n3*1.5\n2*5/\n",
    "radix": b"16#FF\n-16#ff\n#7f\n2#101\n36#z\n",
    "range": b"3.4028234E38\n1E-45\n1E-46\n2147483647*5\n",
    "errors": b"1.5x\n",
    "quoted": b"'5'\n",
    "long_value": b"1" * 300 + b"\n",
    "repeat_errors": b"2*3*4\n",
}

ITEM_REAL, ITEM_INTEGER = 0, 1


def real(x):
    return bytes([ITEM_REAL]) + struct.pack("<f", x)


def integer(v):
    return bytes([ITEM_INTEGER]) + struct.pack("<i", v)


WRITER = {
    "echo": (b"(/,/,' *** Input data ***',/,/,'       Roll radius R=',F10.4,'(mm)',/,"
             b"'       Thickness of strip H1,H2=',2F10.4,'(mm)',/,"
             b"'       Front and back tensions SGF,SGB=',2F10.4,'(kgf/mm2)')",
             [real(100), real(2), real(1.5), real(0), real(-0.0)]),
    "row": (b"(T10,2F8.2,I6,5X,2F8.2,F8.3,F8.2,F8.3,F8.2,4X,F8.2,F8.3,2F8.2,F8.3)",
            [real(7.07), real(4.05), integer(1)] + [real(x) for x in
             (22.81, 0.992, 0.0, 0.0, 2.28, 1.5, 0.1, 23.0, 0.2, 0.992, 1e30, -1e-30)]),
    "heading": (b"(/,/,/,'*** CALCULATED RESULT -- 2 ***',/,/,/)", []),
    "reduction": (b"(T14,'R',F8.3,'  (--)',/)", [real(0.25)]),
    "advance": (b"('0zero',/,'1one',/,'+plus',/,'*star',/,T3,'a',T1,'b',5X)", []),
    "integers": (b"(I6,I6.3,I1,i12)", [integer(0), integer(3), integer(-123),
                                         integer(-2147483648)]),
    "odd_values": (b"(F8.2,F8.2,F8.2,F3.1,F8.0,F5.0)",
                [bytes([0]) + struct.pack("<I", 0x7F800000),
                 bytes([0]) + struct.pack("<I", 0xFFC00000),
                 bytes([0]) + struct.pack("<I", 0x7FC00001),
                 real(123456.7), real(2.5), real(0.3)]),
    "resume": (b"(I3,(F6.2,I2))", [integer(1), real(2), integer(3), real(4), integer(5)]),
    "quotes": (b"('it''s',\"say \"\"hi\"\"\",x,t200,'far')", []),
    "mismatch": (b"(I5)", [real(1.0)]),
}


def write(directory, name, data):
    os.makedirs(directory, exist_ok=True)
    with open(os.path.join(directory, name), "wb") as f:
        f.write(data)


def main():
    for name, data in PASSES.items():
        write("corpus/pass", name, FILE + data)
    write("corpus/pass", "example_terminal", TERMINAL + PASS + b"0\n")
    write("corpus/pass", "example_pieces", SMALL_PIECES + PASS + b"1\n" + PASS + b"0\n")
    for name, data in READER.items():
        write("corpus/reader", name, FILE + data)
        write("corpus/reader", name + "_terminal", TERMINAL + data)
    for name, (text, items) in WRITER.items():
        write("corpus/writer", name, bytes([len(name)]) + text + b"\0" + b"".join(items))


if __name__ == "__main__":
    main()
