#!/usr/bin/env python3
"""Writes the benchmark workloads: gen.py WORKLOAD LANGUAGE SIZE... > file

Workloads (LANGUAGE is plimbo, m4t4 or python):
  loop N [B]        a counting loop of N iterations whose body holds B
                    additions (default 1) and the counter's increment
  straight N V      V assignments of 0, then N assignments of three operators
                    over V variables
  variables N V     V assignments of 0, then N assignments v = w + 1 that
                    touch all V variables in turn
  nesting N D       a loop of N iterations around D - 1 nested loops that
                    each run once
and for vexa (LANGUAGE is vexa): tokens BYTES, a source of about BYTES bytes.
"""
import random
import sys


class Lang:
    """The few statement forms the workloads need, per language."""

    def __init__(self, name):
        self.name = name
        self.prefix = {"plimbo": "$", "m4t4": "@", "python": ""}[name]
        self.assign_sign = {"plimbo": " <: ", "m4t4": " -> ", "python": " = "}[name]

    def var(self, name):
        return self.prefix + name

    def assign(self, name, expr, indent):
        end = "" if self.name == "python" else ";"
        return "  " * indent + self.var(name) + self.assign_sign + expr + end

    def loop_open(self, cond, indent):
        pad = "  " * indent
        if self.name == "plimbo":
            return pad + "DOKAD (" + cond + ") {"
        if self.name == "m4t4":
            return pad + "w2 (" + cond + ") {"
        return pad + "while " + cond + ":"

    def loop_close(self, indent):
        pad = "  " * indent
        return {"plimbo": pad + "} FINISH;", "m4t4": pad + "} w2_end;", "python": None}[self.name]

    def output(self, expr, indent):
        pad = "  " * indent
        return pad + {"plimbo": "VRACEE (" + expr + ");", "m4t4": "pis_ln(" + expr + ");",
                      "python": "print(" + expr + ")"}[self.name]

    def program(self, lines):
        if self.name == "python":
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
    out.write({"loop": loop, "straight": straight, "variables": variables,
               "nesting": nesting}[workload](lang, *sizes))


if __name__ == "__main__":
    main()
