#!/usr/bin/env python3
"""Writes the benchmark workloads: gen.py WORKLOAD LANGUAGE SIZE... > file

Workloads (LANGUAGE is plimbo, m4t4, python or lua):
  loop N [B]        a counting loop of N iterations whose body holds B
                    additions (default 1) and the counter's increment
  count N           a loop of N iterations that only counts: i = i + 1
  student N         s = s + i; t = t + "x"; if i % 3 = 0 { c = c + 1; t = "" };
                    i = i + 1, N times
  fractions N       s = s + i; a = s / (i + 7); t = t + a; i = i + 1, N times
  longbody P B      a loop that runs P times a body of B assignments
                    v = v + 1 over four variables (and the counter's increment)
  straight N V      V assignments of 0, then N assignments of three operators
                    over V variables
  variables N V     V assignments of 0, then N assignments v = w + 1 that
                    touch all V variables in turn
  nesting N D       a loop of N iterations around D - 1 nested loops that
                    each run once
  colliding N       N variables, each assigned once, whose names the symbol
                    table on main (before keyed hashing) puts in one cluster
                    of slots (plimbo or m4t4 only)
  spread N          N variables of names as long, drawn at random
and for vexa (LANGUAGE is vexa): tokens BYTES, a source of about BYTES bytes.
"""
import itertools
import random
import sys


class Lang:
    """The few statement forms the workloads need, per language."""

    def __init__(self, name):
        self.name = name
        self.prefix = {"plimbo": "$", "m4t4": "@", "python": "", "lua": ""}[name]
        self.assign_sign = {"plimbo": " <: ", "m4t4": " -> ", "python": " = ", "lua": " = "}[name]
        # Python and Lua have statements without an end mark, blocks by
        # indentation or by "end"; the interpreters join texts with "+".
        self.free_form = name in ("python", "lua")

    def var(self, name):
        return self.prefix + name

    def assign(self, name, expr, indent):
        end = "" if self.free_form else ";"
        return "  " * indent + self.var(name) + self.assign_sign + expr + end

    def loop_open(self, cond, indent):
        pad = "  " * indent
        if self.name == "plimbo":
            return pad + "DOKAD (" + cond + ") {"
        if self.name == "m4t4":
            return pad + "w2 (" + cond + ") {"
        if self.name == "lua":
            return pad + "while " + cond + " do"
        return pad + "while " + cond + ":"

    def loop_close(self, indent):
        pad = "  " * indent
        return {"plimbo": pad + "} FINISH;", "m4t4": pad + "} w2_end;", "python": None,
                "lua": pad + "end"}[self.name]

    def if_open(self, cond, indent):
        pad = "  " * indent
        return pad + {"plimbo": "ESLI (" + cond + ") {", "m4t4": "i2 (" + cond + ") {",
                      "python": "if " + cond + ":", "lua": "if " + cond + " then"}[self.name]

    def if_close(self, indent):
        pad = "  " * indent
        return {"plimbo": pad + "} ILSE;", "m4t4": pad + "} i2_end;", "python": None,
                "lua": pad + "end"}[self.name]

    def equals(self, a, b):
        return a + (" == " if self.free_form else " = ") + b

    def join(self, a, b):
        """Text a followed by text b."""
        return a + (" .. " if self.name == "lua" else " + ") + b

    def output(self, expr, indent):
        pad = "  " * indent
        return pad + {"plimbo": "VRACEE (" + expr + ");", "m4t4": "pis_ln(" + expr + ");",
                      "python": "print(" + expr + ")", "lua": "print(" + expr + ")"}[self.name]

    def program(self, lines):
        lines = [l for l in lines if l is not None]
        if self.free_form:
            return "\n".join(lines) + "\n"
        end = "} ZDECHNI" if self.name == "plimbo" else "} ."
        return "{\n" + "\n".join("  " + l for l in lines) + "\n" + end + "\n"


def loop(lang, n, body=1):
    v = lang.var
    lines = [lang.assign("i", "0", 0), lang.assign("s", "0", 0),
             lang.loop_open(v("i") + " < " + str(n), 0)]
    lines += [lang.assign("s", v("s") + " + " + v("i"), 1) for _ in range(body)]
    lines.append(lang.assign("i", v("i") + " + 1", 1))
    if lang.loop_close(0):
        lines.append(lang.loop_close(0))
    lines.append(lang.output(v("s"), 0))
    return lang.program(lines)


def loop_of(lang, n, start, body, results):
    """start's assignments, then a loop of n iterations around body (lines
    one level in) and the counter's increment, then results printed."""
    v = lang.var
    lines = [lang.assign(name, value, 0) for name, value in [("i", "0")] + start]
    lines.append(lang.loop_open(v("i") + " < " + str(n), 0))
    lines += body
    lines.append(lang.assign("i", v("i") + " + 1", 1))
    lines.append(lang.loop_close(0))
    lines += [lang.output(v(name), 0) for name in results]
    return lang.program(lines)


def count(lang, n):
    return loop_of(lang, n, [], [], ["i"])


def student(lang, n):
    v = lang.var
    body = [lang.assign("s", v("s") + " + " + v("i"), 1),
            lang.assign("t", lang.join(v("t"), '"x"'), 1),
            lang.if_open(lang.equals(v("i") + " % 3", "0"), 1),
            lang.assign("c", v("c") + " + 1", 2),
            lang.assign("t", '""', 2),
            lang.if_close(1)]
    return loop_of(lang, n, [("s", "0"), ("t", '""'), ("c", "0")], body, ["s", "c", "t"])


def fractions(lang, n):
    v = lang.var
    body = [lang.assign("s", v("s") + " + " + v("i"), 1),
            lang.assign("a", v("s") + " / (" + v("i") + " + 7)", 1),
            lang.assign("t", v("t") + " + " + v("a"), 1)]
    return loop_of(lang, n, [("s", "0"), ("t", "0")], body, ["s", "t"])


def longbody(lang, passes, statements):
    v = lang.var
    names = ["v%d" % k for k in range(4)]
    body = [lang.assign(names[k % 4], v(names[k % 4]) + " + 1", 1) for k in range(statements)]
    return loop_of(lang, passes, [(name, "0") for name in names], body, names)


def straight(lang, n, variables):
    v = lang.var
    rnd = random.Random(11)
    lines = [lang.assign("v%d" % k, "0", 0) for k in range(variables)]
    for j in range(n):
        a, b, c = (rnd.randrange(variables) for _ in range(3))
        lines.append(lang.assign("v%d" % a, "(" + v("v%d" % b) + " + " + v("v%d" % c) + " * 3) % 1000", 0))
    lines.append(lang.output(v("v0"), 0))
    return lang.program(lines)


def variables(lang, n, count):
    v = lang.var
    lines = [lang.assign("v%d" % k, "0", 0) for k in range(count)]
    for j in range(n):
        lines.append(lang.assign("v%d" % (j % count), v("v%d" % ((j * 7919 + 1) % count)) + " + 1", 0))
    lines.append(lang.output(v("v0"), 0))
    return lang.program(lines)


def nesting(lang, n, depth):
    v = lang.var
    lines = [lang.assign("i", "0", 0), lang.assign("s", "0", 0),
             lang.loop_open(v("i") + " < " + str(n), 0)]
    for level in range(2, depth + 1):
        lines.append(lang.assign("j%d" % level, "0", level - 1))
        lines.append(lang.loop_open(v("j%d" % level) + " < 1", level - 1))
    lines.append(lang.assign("s", v("s") + " + 1", depth))
    for level in range(depth, 1, -1):
        lines.append(lang.assign("j%d" % level, "1", level))
        if lang.loop_close(level - 1):
            lines.append(lang.loop_close(level - 1))
    lines.append(lang.assign("i", v("i") + " + 1", 1))
    if lang.loop_close(0):
        lines.append(lang.loop_close(0))
    lines.append(lang.output(v("s"), 0))
    return lang.program(lines)


def vexa_chunk(rnd):
    """About 1 MB of vexa lines using every token class but `%` (whose label
    is the previous token's in the lister)."""
    def ident():
        word = "".join(rnd.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rnd.randint(1, 6)))
        return word + ("_" + str(rnd.randint(0, 9)) if rnd.random() < 0.1 else "")

    def operand():
        r = rnd.random()
        if r < 0.4:
            return ident()
        if r < 0.6:
            return "$" + ident() + "$"
        if r < 0.8:
            return str(rnd.randint(0, 999))
        if r < 0.9:
            return "%d.%d" % (rnd.randint(0, 99), rnd.randint(0, 99))
        return '"' + ident() + (' \\"' if rnd.random() < 0.2 else " ") + ident() + '"'

    ops = ["+", "-", "*", "/", "^", "<", ">", "<=", ">=", "<>", "=", "&&", "||"]
    lines = []
    size = 0
    while size < 1 << 20:
        r = rnd.random()
        if r < 0.03:
            line = "[> " + ident() + " " + ident()
        elif r < 0.05:
            line = "[[ " + ident() + "\n   " + ident() + " ]]"
        elif r < 0.08:
            line = rnd.choice("{}")
        else:
            expr = operand()
            for _ in range(rnd.randint(0, 3)):
                expr += " " + rnd.choice(ops) + " " + operand()
            if rnd.random() < 0.2:
                expr = "( " + expr + " )"
            if rnd.random() < 0.1:
                expr = "! " + expr
            line = ident() + " := " + expr + ";"
        lines.append(line)
        size += len(line) + 1
    return "\n".join(lines) + "\n"


MASK64 = (1 << 64) - 1
DIGITS_AND_LOWER = b"0123456789abcdefghijklmnopqrstuvwxyz"


def table_bits(n):
    """Bits of the slot index once n names are in a table kept at most half full."""
    return max(1, (2 * n - 1).bit_length())


def plimbo_colliding(n):
    """n names of 16 bytes ("$" and 15 characters) whose home slots all lie
    below 512 in every table up to the one that holds n of them.

    plimbo's table (plimbo/stores.cpp on main) hashes a name a word of 8 bytes
    at a time, h = (h ^ word) * K1 from h = length, then mixes it with a fixed
    finaliser; the slot is its low bits. The finaliser leaves no structure to
    use, but the first word can be fixed and only the second varied: each try
    is a few integer operations, and one in 2^(bits - 9) succeeds."""
    k1, k2 = 0x9E3779B97F4A7C15, 0xD6E8FEB86659FD93
    bits = table_bits(n)
    spread = ((1 << bits) - 1) & ~511
    first = int.from_bytes(b"$collide", "little")
    a = ((16 ^ first) * k1) & MASK64
    quarters = [int.from_bytes(bytes(t), "little") for t in itertools.product(DIGITS_AND_LOWER, repeat=4)]
    names = []
    for high in quarters:
        ah = a ^ (high << 32)
        for low in quarters:
            h = ((ah ^ low) * k1) & MASK64
            h ^= h >> 32
            h = (h * k2) & MASK64
            h ^= h >> 32
            if h & spread == 0:
                names.append("collide" + ((high << 32) | low).to_bytes(8, "little").decode())
                if len(names) == n:
                    return names
    raise SystemExit("not enough colliding names")


def m4t4_colliding(n):
    """n names of 9 bytes ("@" and 8 characters) that all have home slot 0 in
    every table up to the one that holds n of them.

    m4t4's table (m4t4/stores.cpp on main) hashes with FNV-1a, h = (h ^ byte) * P,
    and the slot is its low bits. The low m bits of h depend only on the low m
    bits of the state before each byte, and each step can be run backwards
    (P is odd), so the names meet in the middle: the state after every prefix
    "@" + 4 characters, forwards, against the state each suffix of 4 characters
    needs for the hash to end in m zero bits, backwards."""
    prime, basis = 1099511628211, 14695981039346656037
    m = table_bits(n)
    mask = (1 << m) - 1
    inverse = pow(prime, -1, 1 << m)
    needs = {}
    for suffix in itertools.islice(itertools.product(DIGITS_AND_LOWER, repeat=4), 1 << 18):
        h = 0
        for b in reversed(suffix):
            h = ((h * inverse) & mask) ^ b
        needs.setdefault(h, []).append(bytes(suffix).decode())
    names = []
    start = ((basis ^ ord("@")) * prime) & mask
    for first in DIGITS_AND_LOWER[10:]:
        h1 = ((start ^ first) * prime) & mask
        for rest in itertools.product(DIGITS_AND_LOWER, repeat=3):
            h = h1
            for b in rest:
                h = ((h ^ b) * prime) & mask
            for suffix in needs.get(h, ()):
                names.append(chr(first) + bytes(rest).decode() + suffix)
                if len(names) == n:
                    return names
    raise SystemExit("not enough colliding names")


def assignments(lang, names):
    return lang.program([lang.assign(name, "1", 0) for name in names])


def colliding(lang, n):
    return assignments(lang, {"plimbo": plimbo_colliding, "m4t4": m4t4_colliding}[lang.name](n))


def spread(lang, n):
    """As many names as colliding() makes, as long, drawn at random."""
    length = {"plimbo": 15, "m4t4": 8}[lang.name]
    rnd = random.Random(11)
    letters = DIGITS_AND_LOWER.decode()
    names = set()
    while len(names) < n:
        names.add(rnd.choice(letters[10:]) + "".join(rnd.choice(letters) for _ in range(length - 1)))
    return assignments(lang, sorted(names, key=lambda _: rnd.random()))


def main():
    workload, language, *sizes = sys.argv[1:]
    sizes = [int(s) for s in sizes]
    out = sys.stdout
    if workload == "tokens":
        chunk = vexa_chunk(random.Random(7))
        for _ in range(max(1, round(sizes[0] / len(chunk)))):
            out.write(chunk)
        return
    lang = Lang(language)
    out.write({"loop": loop, "count": count, "student": student, "fractions": fractions,
               "longbody": longbody, "straight": straight, "variables": variables,
               "nesting": nesting, "colliding": colliding, "spread": spread}[workload](lang, *sizes))


if __name__ == "__main__":
    main()
