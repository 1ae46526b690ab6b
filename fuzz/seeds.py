#!/usr/bin/env python3
"""Writes generated seeds for one program's fuzzer:

  fuzz/seeds.py <vexa|plimbo|m4t4> <corpus folder>

Each seed is a short program holding one long token of every kind the
program's scanner collects: 250 to 260 characters (the interpreters keep 255
of a token), and for vexa also 65,533 to 65,538 (its limit is 65,535), each
after 0, 1 and 2 blanks, so that with the fuzz build's 3-byte source blocks
the token starts at every position in a block and the limit falls at each of
them. Seeds are named gen-<kind>-<length>-<shift>.
"""
import os
import sys


def cycle(pattern, count):
    return (pattern * (count // len(pattern) + 1))[:count]


def escaped(body, escape, length, escape_kept=True):
    """The inside of a string whose text is `length` characters long, with an
    escaped quote in every seventh place; `escape_kept`: the escape character
    stays in the text (the interpreters) or is dropped (vexa)."""
    out, kept, i = [], 0, 0
    step = 2 if escape_kept else 1
    while kept < length:
        if i % 7 == 3 and kept + step <= length:
            out.append(escape + '"')
            kept += step
        else:
            out.append(body[i % len(body)])
            kept += 1
        i += 1
    return "".join(out)


def plimbo(length):
    name = cycle("ab_1z9", length - 1)
    yield "number", f"{{ $a <: {cycle('1234567890', length)}; VRACEE ($a); }} ZDECHNI\n"
    yield "signed_number", f"{{ $a <: -{cycle('98765', length // 2)},{cycle('43210', length - length // 2 - 2)}; VRACEE ($a); }} ZDECHNI\n"
    yield "string", f'{{ $a <: "{escaped("str ing", chr(92), length)}"; VRACEE ($a); }} ZDECHNI\n'
    yield "variable", f"{{ ${name} <: 1; VRACEE (${name}); }} ZDECHNI\n"
    yield "keyword", f"{{ {cycle('ABCDEFGHIJKLMNOPQRSTUVWXYZ', length)} }} ZDECHNI\n"
    yield "function", f"@{name} ( PROM $p ) {{ VRACEE ($p); }} {{ #{name} (1); }} ZDECHNI\n"
    yield "comments", f"{{ //{cycle('c /*', length)}\n $a <: 1; /*{cycle('k */', length)}*/ VRACEE ($a); }} ZDECHNI\n"
    yield "loop", (f"{{ $i <: 0; DOKAD ($i < 2) {{ ${name} <: \"{escaped('loop', chr(92), length)}\"; "
                   f"VRACEE (${name}); $i <: $i + 1; }} FINISH; }} ZDECHNI\n")


def m4t4(length):
    name = cycle("ab_1z9", length - 2) + "q"
    yield "number", f"{{ @a -> {cycle('1234567890', length)}; pis(@a); }} .\n"
    yield "exponent", f"{{ @a -> {cycle('12345', length - 6)},5e-3; pis(@a); }} .\n"
    yield "string", f'{{ @a -> "{escaped("str ing", "/", length)}"; pis(@a); }} .\n'
    yield "variable", f"{{ @{name} -> 1; pis(@{name}); }} .\n"
    yield "word", f"{{ {cycle('word_9', length - 1)}x }} .\n"
    yield "function", f"?{name} ( p2 @p ) {{ pis(@p); }} {{ ~{name}(1); }} .\n"
    yield "comments", f"{{ ::{cycle('c :!', length)}\n @a -> 1; :!{cycle('k !', length)}!: pis(@a); }} .\n"
    yield "loop", (f"{{ @i -> 0; w2 (@i < 2) {{ @{name} -> \"{escaped('loop', '/', length)}\"; "
                   f"pis(@{name}); @i -> @i + 1; }} w2_end; }} .\n")


def vexa(length):
    yield "number", f"x := {cycle('1234567890', length)};\n"
    yield "signed_decimal", f"x := -{cycle('98765', length // 2)}.{cycle('43210', length - length // 2 - 2)};\n"
    yield "string", f'x := "{escaped("str ing", chr(92), length, escape_kept=False)}";\n'
    yield "variable", f"${cycle('ab_1z9', length)}$ := 1;\n"
    yield "identifier", f"{cycle('id_9__x', length - 1)}q := 1;\n"
    yield "comments", f"[>{cycle('c [[', length)}\n[[{cycle('k ]#x', length)}]] x;\n"


PROGRAMS = {"plimbo": plimbo, "m4t4": m4t4, "vexa": vexa}
LENGTHS = {"plimbo": range(250, 261), "m4t4": range(250, 261),
           "vexa": list(range(250, 261)) + list(range(65533, 65539))}


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in PROGRAMS:
        sys.exit(__doc__)
    program, folder = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    count = 0
    for length in LENGTHS[program]:
        for kind, text in PROGRAMS[program](length):
            for shift in range(3):
                with open(os.path.join(folder, f"gen-{kind}-{length}-{shift}"), "wb") as out:
                    out.write((" " * shift + text).encode("latin-1"))
                count += 1
    print(f"{count} generated seeds in {folder}")


if __name__ == "__main__":
    main()
