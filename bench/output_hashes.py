#!/usr/bin/env python3
"""Runs a tonepak build over a fixed set of generated inputs and prints one
hash line per run: every file the run wrote, its console output and its exit
status. Two builds that print the same lines behave byte for byte alike on
these inputs, so a restructuring diffs the two listings.

Usage: bench/output_hashes.py <tonepak program> [--quick] > hashes.txt
The inputs cover every export container and codec (forced modes included),
hostile variants of them, imports into every kind of original (rate and
channel changes included), pack/unpack, the NHL 2000 ditty fix, and the
benchmarks' long export stream and 3-minute 44,100 Hz imports.
"""
import hashlib
import math
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile

PROGRAM = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else ""
QUICK = "--quick" in sys.argv


def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def be32(v):
    return struct.pack(">I", v & 0xFFFFFFFF)


def pt_field(t, value, length):
    return bytes([t, length]) + bytes((value >> (8 * i)) & 0xFF if i < 4 else 0 for i in range(length - 1, -1, -1))


def pt_list(channels, frequency, length, split=False, data_offset=None, compression=None):
    body = b"PT\0\0"
    if split:
        body += b"\x0b\x01\x00"
    body += b"\xfd" + pt_field(0x82, channels, 1)
    if compression is not None:
        body += pt_field(0x83, compression, 1)
    body += pt_field(0x84, frequency, 2) + pt_field(0x85, length, 4)
    if data_offset is not None:
        body += pt_field(0x88, data_offset, 4)
    body += b"\x8a\x00\xff"
    return body


def schl(channels, frequency, length, split=False):
    body = pt_list(channels, frequency, length, split, compression=None if split else 7)
    while len(body) % 4:
        body += b"\0"
    return b"SCHl" + u32(len(body) + 8) + body


def ea_codes(rng, frames, frame_bytes, corrupt=False):
    out = bytearray()
    for _ in range(frames):
        for b in range(frame_bytes):
            if b == 0:
                k1 = rng.randrange(5 if corrupt else 4)
                k2 = rng.randrange(4)
                out.append((k1 << 4 | (k2 if frame_bytes == 30 else rng.randrange(16))) & 0xFF)
            elif b == 1 and frame_bytes == 30:
                out.append(rng.randrange(2, 13) << 4 | rng.randrange(2, 13))
            else:
                out.append(rng.randrange(256))
    return bytes(out)


def schl_stream(rng, channels, split, blocks, frames, corrupt=False, history=0):
    out = schl(channels, 22050, 28 * frames * blocks, split)
    out += b"SCCl" + u32(12) + u32(blocks)
    for _ in range(blocks):
        if split:
            halves = [ea_codes(rng, frames, 15, corrupt) for _ in range(channels)]
            sc = 28 * frames
            block = u32(sc) + u32(0) + u32(len(halves[0]) + 4) + u16(history) + u16(-history) + halves[0]
            if channels == 2:
                block += u16(rng.randrange(65536)) + u16(rng.randrange(65536)) + halves[1]
        elif channels == 2:
            data = ea_codes(rng, frames, 30, corrupt)
            block = u32(28 * frames) + b"".join(u16(rng.randrange(-3000, 3000)) for _ in range(4)) + data
        else:
            data = ea_codes(rng, frames, 15, corrupt)
            block = u32(len(data)) + u16(history) + u16(-history) + u32(0) + data
        out += b"SCDl" + u32(len(block) + 4) + block
    return out + b"SCEl" + u32(8)


def tmpl_stream(rng, channels, kwk, n):
    rec = bytearray(32)
    rec[1], rec[2] = 16, channels
    rec[6:8] = u16(22050)
    rec[8:12] = u32(n)
    out = (b"KWK\0" if kwk else b"") + b"TMpl" + bytes(rec)
    if kwk:
        return out + bytes(rng.randrange(256) for _ in range(n))
    block = u32(n) + u16(rng.randrange(65536)) + u16(rng.randrange(100)) + u16(0) + u16(5) + bytes(
        rng.randrange(256) for _ in range(n))
    return b"SCHl" + u32(0) + out + b"SCDl" + u32(len(block) + 4) + block


def eacs_stream(rng, channels, one_snh, n):
    rec = bytearray(28)
    rec[0:2] = u16(22050)
    rec[5] = channels
    rec[8:12] = u32(n)
    out = b"EACS" + bytes(rec)
    if one_snh:
        out = b"1SNh" + u32(40) + out
        for _ in range(3):
            data = bytes(rng.randrange(256) for _ in range(n))
            fields = u32(len(data)) + u32(rng.randrange(60)) + u32(rng.randrange(60)) + u32(
                rng.randrange(65536)) + u32(rng.randrange(65536))
            out += b"1SNd" + u32(len(data) + 24) + fields + data
        return out
    return out + bytes(rng.randrange(256) for _ in range(n))


def self_sized(rng, n):
    body = pt_list(1, 22050, 28 * n // 15)
    size = len(body) + 8
    return b"PT\0\2" + u16(size) + u16(0) + body + ea_codes(rng, n // 15, 15)


def bank(rng, version, samples):
    """samples: list of (channels, split, coded bytes) or None for empty slots."""
    start = 12 if version == 2 else 20
    slots = len(samples)
    headers = []
    table_end = start + 4 * slots
    pos = table_end
    lists = []
    for s in samples:
        if s is None:
            lists.append(None)
            continue
        lists.append(pos)
        pos += 64
    data_pos = pos
    out_headers = bytearray(pos - table_end)
    data = bytearray()
    entries = []
    for i, s in enumerate(samples):
        if s is None:
            entries.append(0)
            continue
        channels, split, coded = s
        offset = data_pos + len(data)
        h = pt_list(channels, 22050, 28 * len(coded) // (15 * channels), split, data_offset=offset)
        h = h[:-1] + b"\xfe" + pt_list(1, 11025, 10, data_offset=offset)[4:]
        h = h[:64].ljust(64, b"\xff")
        out_headers[lists[i] - table_end:lists[i] - table_end + 64] = h
        entries.append(lists[i] - (start + 4 * i))
        data += coded + bytes((-len(coded)) % 4)
    head = b"BNKl" + u16(version) + u16(slots)
    head = head.ljust(start, b"\0")
    return head + b"".join(u32(e) for e in entries) + bytes(out_headers) + bytes(data)


def big(rng, bigf, entries):
    names = [b"a%d.asf" % i for i in range(len(entries))]
    dir_size = sum((8 if bigf else 6) + len(n) + 1 for n in names)
    pos = (16 if bigf else 6) + dir_size
    directory = b""
    blob = b""
    for name, e in zip(names, entries):
        off = pos + len(blob)
        if bigf:
            directory += be32(off) + be32(len(e)) + name + b"\0"
        else:
            directory += be32(off)[1:] + be32(len(e))[1:] + name + b"\0"
        blob += e
    count = struct.pack(">H", len(entries))
    if bigf:
        head = b"BIGF" + be32(0) + b"\0\0" + count + be32(0)
    else:
        head = b"\xc0\xfb" + b"\0\0" + count
    return head + directory + blob


def wave(channels, rate, frames, seed, wave_tag=b"WAVE"):
    rng = random.Random(seed)
    pcm = bytearray()
    for i in range(frames):
        t = i / rate
        for c in range(channels):
            v = 7000 * math.sin(2 * math.pi * (196 + 40 * c) * t) + 3000 * math.sin(2 * math.pi * 1330 * t) + rng.gauss(0, 150)
            if (i // 4000) % 7 == 3:
                v *= 4.2
            pcm += struct.pack("<h", max(-32768, min(32767, int(v))))
    fmt = u16(1) + u16(channels) + u32(rate) + u32(rate * 2 * channels) + u16(2 * channels) + u16(16)
    return b"RIFF" + u32(36 + len(pcm)) + wave_tag + b"fmt " + u32(16) + fmt + b"data" + u32(len(pcm)) + bytes(pcm)


def fast_wave(channels, rate, seconds):
    # Song-like material without a per-sample Python loop: a few tones mixed
    # through precomputed periods.
    frames = int(seconds * rate)
    period = []
    for i in range(rate):
        t = i / rate
        row = []
        for c in range(channels):
            v = 6000 * math.sin(2 * math.pi * (196 + 3 * c) * t) + 3500 * math.sin(2 * math.pi * 587 * t) + 1800 * math.sin(
                2 * math.pi * (2349 + 5 * c) * t) + 900 * math.sin(2 * math.pi * 61 * t * (c + 1))
            row.append(int(v))
        period.append(struct.pack("<%dh" % channels, *row))
    second = b"".join(period)
    pcm = bytearray()
    rng = random.Random(7)
    while len(pcm) < frames * 2 * channels:
        pcm += second
    pcm = bytes(pcm[: frames * 2 * channels])
    fmt = u16(1) + u16(channels) + u32(rate) + u32(rate * 2 * channels) + u16(2 * channels) + u16(16)
    return b"RIFF" + u32(36 + len(pcm)) + b"WAVEfmt " + u32(16) + fmt + b"data" + u32(len(pcm)) + pcm


def song_original(split):
    # A 44,100 Hz stereo original of four 1,484-sample blocks: the import
    # codes the song in blocks of 5,936 PCM bytes, as game songs have them.
    out = schl(2, 44100, 4 * 1484, split) + b"SCCl" + u32(12) + u32(4)
    for _ in range(4):
        if split:
            body = u32(1484) + u32(0) + u32(795 + 4) + bytes(4) + bytes(795) + bytes(4) + bytes(795)
        else:
            body = u32(1484) + bytes(8) + bytes(1590)
        out += b"SCDl" + u32(len(body) + 4) + body
    return out + b"SCEl" + u32(8)


def mutations(rng, data, count):
    out = []
    for _ in range(count):
        m = bytearray(data)
        kind = rng.randrange(4)
        if kind == 0 and len(m) > 8:
            m = m[: rng.randrange(4, len(m))]
        else:
            for _ in range(rng.randrange(1, 8)):
                if not m:
                    break
                p = rng.randrange(len(m))
                m[p] = rng.choice([0, 0xFF, 0x7F, 0x80, rng.randrange(256)])
        out.append(bytes(m))
    return out


PROGRESS = re.compile(rb"to go +-?\d+ [0-9:]+ \(")


def run(label, files, args, cwd_files_out=True):
    work = tempfile.mkdtemp(prefix="tonepak_hash_")
    try:
        for name, data in files.items():
            path = os.path.join(work, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        os.makedirs(os.path.join(work, "out"), exist_ok=True)
        before = {n: hashlib.sha256(d).hexdigest() for n, d in files.items()}
        r = subprocess.run([PROGRAM] + args, cwd=work, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=600)
        console = PROGRESS.sub(b"to go (", r.stdout)
        console = re.sub(rb"TONEPAK ([0-9.]+) \([0-9.\-]+\)", rb"TONEPAK \1 (date)", console)
        h = hashlib.sha256()
        h.update(b"rc %d\n" % r.returncode)
        h.update(console)
        outputs = []
        for root, _, names in os.walk(work):
            for n in sorted(names):
                path = os.path.join(root, n)
                rel = os.path.relpath(path, work)
                with open(path, "rb") as f:
                    digest = hashlib.sha256(f.read()).hexdigest()
                if before.get(rel) == digest:
                    continue
                outputs.append((rel, digest))
        for rel, digest in sorted(outputs):
            h.update(("%s %s\n" % (rel, digest)).encode())
        print("%s %s rc=%d files=%d" % (h.hexdigest()[:24], label, r.returncode, len(outputs)))
        sys.stdout.flush()
    finally:
        shutil.rmtree(work)


def main():
    rng = random.Random(2001)
    exports = {}
    for ch in (1, 2):
        for split in (False, True):
            exports["schl_%d_%s" % (ch, split)] = schl_stream(rng, ch, split, 5, 40)
            exports["schl_corrupt_%d_%s" % (ch, split)] = schl_stream(rng, ch, split, 3, 20, corrupt=True, history=30000)
    for ch in (1, 2):
        exports["tmpl_%d" % ch] = tmpl_stream(rng, ch, False, 900)
        exports["kwk_%d" % ch] = tmpl_stream(rng, ch, True, 2000)
        exports["eacs_%d" % ch] = eacs_stream(rng, ch, False, 3000)
        exports["1snh_%d" % ch] = eacs_stream(rng, ch, True, 700)
    exports["pt_self"] = self_sized(rng, 15 * 300)
    exports["bnk2"] = bank(rng, 2, [(1, False, ea_codes(rng, 30, 15)), None, (2, False, ea_codes(rng, 20, 30)),
                                    (2, True, ea_codes(rng, 40, 15)), (1, True, ea_codes(rng, 10, 15))])
    exports["bnk4"] = bank(rng, 4, [(1, False, ea_codes(rng, 60, 15)), (2, False, ea_codes(rng, 9, 30))])
    inner = [schl_stream(rng, 2, False, 2, 10), self_sized(rng, 15 * 40), schl_stream(rng, 1, True, 2, 12)]
    exports["bigf"] = big(rng, True, inner)
    exports["c0fb"] = big(rng, False, inner)

    for name, data in exports.items():
        run("export " + name, {"in.str": data}, ["in.str", "out"])
        run("export asf " + name, {"song.asf": data}, ["song.asf"])
        for mode in ("1", "2", "3", "4", "5", "6", "17"):
            if name.startswith(("schl_", "bnk", "tmpl", "1snh")):
                run("export mode %s %s" % (mode, name), {"in.str": data}, ["in.str", mode, "out"])
        for i, m in enumerate(mutations(rng, data, 6 if QUICK else 25)):
            run("export mutated %s %d" % (name, i), {"in.str": m}, ["in.str", "out"])

    # Imports: every original kind, rate doubling and halving, channel changes.
    originals = {
        "schl_mono": schl_stream(rng, 1, False, 4, 53),
        "schl_stereo": schl_stream(rng, 2, False, 4, 53),
        "schl_split_mono": schl_stream(rng, 1, True, 4, 53),
        "schl_split_stereo": schl_stream(rng, 2, True, 4, 53),
        "pt": self_sized(rng, 15 * 100),
        "bnk": exports["bnk2"],
    }
    originals_44k = {
        "schl_stereo_44k": schl(2, 44100, 1000) + b"SCCl" + u32(12) + u32(1) + b"SCDl" + u32(20 + 300) + u32(
            280) + bytes(8) + bytes(300) + b"SCEl" + u32(8),
        "schl_split_44k": schl(2, 44100, 1000, True) + b"SCDl" + u32(24 + 158) + u32(280) + u32(0) + u32(
            79) + bytes(158) + b"SCEl" + u32(8),
        "schl_mono_44k": schl(1, 44100, 1000) + b"SCDl" + u32(20 + 150) + u32(150) + bytes(8) + bytes(150),
    }
    waves = {
        "m22": wave(1, 22050, 30011, 1),
        "s22": wave(2, 22050, 30011, 2),
        "s44": wave(2, 44100, 40003, 3),
        "m44": wave(1, 44100, 20001, 4),
        "q3": wave(3, 22050, 3000, 5),
    }
    for oname, orig in list(originals.items()) + list(originals_44k.items()):
        for wname, wdata in waves.items():
            args = ["-import", "in.wav", "new.dat", "orig.dat"]
            if oname == "bnk":
                for slot in ("1", "3", "4", "2", "9", "0"):
                    run("import %s %s slot %s" % (wname, oname, slot), {"in.wav": wdata, "orig.dat": orig}, args + [slot])
            else:
                run("import %s %s" % (wname, oname), {"in.wav": wdata, "orig.dat": orig}, args)
        run("import in place %s" % oname, {"in.wav": waves["s22"], "orig.dat": orig},
            ["-import", "in.wav", "orig.dat", "orig.dat", "1"])
        for i, m in enumerate(mutations(rng, orig, 4 if QUICK else 12)):
            run("import mutated original %s %d" % (oname, i), {"in.wav": waves["m22"], "orig.dat": m},
                ["-import", "in.wav", "new.dat", "orig.dat", "1"])
    for i, m in enumerate(mutations(rng, waves["s22"][:4000], 4 if QUICK else 12)):
        run("import mutated wave %d" % i, {"in.wav": m, "orig.dat": originals["schl_stereo"]},
            ["-import", "in.wav", "new.dat", "orig.dat"])

    # Pack and unpack.
    entries = {"pk/%03d.asf" % i: schl_stream(rng, 1, False, 1, 3 + i) for i in range(4)}
    run("pack", entries, ["-pack", "pk/", "new.pak", "new.idx"])
    pack = b"".join(entries["pk/%03d.asf" % i] for i in range(4))
    index = b"".join(u32(sum(len(entries["pk/%03d.asf" % j]) for j in range(i))) for i in range(4))
    run("unpack", {"s.pak": pack, "s.idx": index}, ["-unpack", "s.pak", "s.idx", "out/"])
    run("unpack bad index", {"s.pak": pack, "s.idx": index[::-1]}, ["-unpack", "s.pak", "s.idx"])
    run("unpack short", {"s.pak": pack}, ["-unpack", "s.pak"])
    run("pack short", entries, ["-pack", "pk/", "new.pak"])
    run("usage", {}, [])
    run("import short", {}, ["-import", "a", "b"])

    # NHL 2000 ditty fix.
    image = bytearray(rng.randrange(256) for _ in range(2100000))
    image[500000:500008] = bytes([0xc1, 0xc0, 0x40, 0x3b, 0x94, 0x0b, 0x00, 0x00])
    image[900000:900008] = bytes([0x00, 0xff, 0x7f, 0x47, 0x50, 0x03, 0x00, 0x00])
    run("dittyfix", {"nhl2k.exe": bytes(image), "ditties/ditties.viv": exports["bigf"],
                     "required/horns.viv": exports["bigf"][:60]}, ["-nhl2kdittyfix"])
    run("dittyfix missing", {}, ["-nhl2kdittyfix"])

    # The benchmarks' inputs: the long export stream and 3-minute imports.
    maker = os.path.join(os.path.dirname(PROGRAM), "..", "bench", "make_long_stream")
    if os.path.exists(maker):
        work = tempfile.mkdtemp()
        subprocess.run([maker, os.path.join(work, "s.asf"), "10"], check=True)
        with open(os.path.join(work, "s.asf"), "rb") as f:
            long_stream = f.read()
        shutil.rmtree(work)
        run("export long stream", {"stream.asf": long_stream}, ["stream.asf"])
    minutes = 0.5 if QUICK else 3
    song = fast_wave(2, 44100, 60 * minutes)
    originals_44k["song_stereo"] = song_original(False)
    originals_44k["song_split"] = song_original(True)
    for oname in ("schl_stereo_44k", "schl_split_44k", "schl_mono_44k", "song_stereo", "song_split"):
        run("import 3-minute song %s" % oname, {"in.wav": song, "orig.dat": originals_44k[oname]},
            ["-import", "in.wav", "new.dat", "orig.dat"])


if __name__ == "__main__":
    main()
