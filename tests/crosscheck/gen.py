"""Random program pairs for the plimbo/m4t4 cross-check.

A program is generated once, as a stream of neutral tokens, and printed twice:
as plimbo source and as m4t4 source.  Every neutral token has one spelling per
language (`$x` / `@x`, `ESLI` / `i2`, `VRACEE` / `pis_ln`, ...), and the
whitespace, line breaks and comments between tokens are chosen once and written
into both texts, so the two sources have the same tokens on the same lines and
the interpreters' line numbers agree as well.

The generator stays inside the subset where the two languages mean the same:

* number tokens are [+-]digits[,digits]; no exponent (plimbo has none), no
  leading or trailing comma (",5" and "7," scan differently);
* no value text ever begins with ",", "+," or "-," (the two number tests differ
  only there), so string literals and input words avoid these beginnings;
* string literals hold no double quote and do not end in a backslash (plimbo's
  escape) or a slash (m4t4's escape), and are never "(", ")" or "!", which the
  grammars take by their text wherever a factor or an argument may begin;
* every variable is assigned before it is read: the unassigned value has a
  different text in each language;
* function calls appear only as factors and always have at least one argument
  (a call without arguments yields whatever the implementation chooses, and
  plimbo has no call statements);
* parameter lists are never empty and never end in ";" (m4t4 allows both,
  plimbo neither);
* a call with several arguments stands only where no value of the enclosing
  expression waits beneath it on the value stack (see Generator.expr);
* loops are counted: a counter that only the loop changes, compared with a
  fixed bound (or with an enclosing loop's counter), or a text that grows by
  one character until it equals a fixed text, so every loop ends; loops nest
  up to four deep, also inside conditionals and declared blocks;
* enough input words are supplied for every read the program can make (what a
  read stores at the end of input is up to each implementation);
* programs are well formed: syntax errors are left out, since the two
  grammars detect them at different tokens and name different tokens.  A run
  may still end early on a run-time error (an operand that is no number, a
  result too large to write), and both must end at the same place.

`generate(seed)` returns (plimbo_source, m4t4_source, standard_input) as bytes.
Everything is drawn from one random.Random(seed), so a seed always gives the
same pair.
"""

import random

# Generator switches.  Each one enables a construct or a value shape; a switch
# that is off leaves the construct out of every program.  A switch that is off
# because of a known fault names the fault; turn it on again once it is mended.
SWITCHES = {
    # Calls with two or three arguments as factors: the call yields its last
    # argument, the earlier ones are evaluated (and may fail) and left unused.
    "multi_argument_calls": True,
    # Bytes 128..255 in string literals and input words (texts compare by
    # unsigned byte value).
    "high_bytes": True,
    # Comments between tokens (// and /* */ against :: and :! !:).
    "comments": True,
    # Any bytes inside comments (NUL, CR, 255 included).
    "comment_bytes": True,
    # Tabs and line breaks in the middle of statements.
    "odd_layout": True,
    # No white space at all beside ( ) ; { }, e.g. VRACEE($a);
    "tight_layout": True,
    # Carriage returns (CR LF line ends), vertical tabs and form feeds between
    # tokens (white space to plimbo, characters that begin no token to m4t4)
    # and between input words.
    "control_whitespace": True,
    # NUL bytes inside input words.
    "nul_in_input": True,
    # Variable and function names of 40 to 200 characters.
    "long_names": True,
    # Line breaks inside string literals.
    "multiline_strings": True,
    # Bytes after the end word (ZDECHNI, ".") that are never read.
    "trailing_garbage": True,
    # Literals and input words of up to 254 characters, and texts that grow
    # past 254 characters by concatenation (cut at 254 in both languages).
    "long_texts": True,
    # Literals and input words longer than 254 characters (up to 300): both
    # languages keep the first 254 characters (the rest of a word is dropped).
    "overlong_texts": True,
    # Number literals with hundreds of digits, whose arithmetic results may be
    # too large to write with six decimals in 254 characters.
    "huge_numbers": True,
    # Division and remainder by a zero that is written as such (inf, nan).
    "zero_divisors": True,
    # plimbo's alternative assignment signs >: and !: (same meaning as <:).
    "alternative_assignment_signs": True,
    # In m4t4, an output statement is sometimes written as pis(x); pis_ln("")
    # instead of pis_ln(x).
    "split_output": True,
}

MAX_LOOP_DEPTH = 4
MAX_WORD = 254
MAX_OVERLONG = 300
PUNCTUATION = {"(", ")", ";", "{", "}"}

# Keyword and operator spellings: (plimbo, m4t4).
KW = {
    "if": ("ESLI", "i2"),
    "else": ("JINEM", "e2"),
    "endif": ("ILSE", "i2_end"),
    "while": ("DOKAD", "w2"),
    "endwhile": ("FINISH", "w2_end"),
    "print": ("VRACEE", "pis_ln"),
    "read": ("NASAJ", "cti"),
    "end": ("ZDECHNI", "."),
}

# Precedence levels shared by both grammars (loosest first).
LEVEL = {"|": 1, "&": 1,
         "<": 3, ">": 3, "=": 3, "!=": 3, "<=": 3, ">=": 3,
         "+": 4, "-": 4,
         "*": 5, "/": 5, "%": 5}
NOT_LEVEL = 2
ATOM_LEVEL = 6
COMPARISONS = ["<", ">", "=", "!=", "<=", ">="]

# Texts that the grammars take by their text where a factor or an argument
# may begin: a string literal never has one of them as its whole text.
FORBIDDEN_LITERALS = {"(", ")", "!"}

NUMERIC_TEXTS = [
    "0", "1", "2", "7", "10", "42", "-3", "+5", "-0", "0.000000", "1.500000",
    "2.5", "-2.5", "3,5", "12abc", "7 ", "0x1A", "0X1f", "0x1p3", "1e3",
    "1E-2", "-1e2", "2e+2x", "00012", "9e999", "-9e999", "1e-400", "3.",
    "5.5.5", "1,5e3", "-7abc", "+0", "99999999999999999999", "0.1", "123456.789",
    "-0x10", "0x", "0e", "1e", "1e+", "00x1", "0x.8", "0X1P-2", "1.e2", "0x0",
    "0e5", "0,9", "5e-7", "-5e-7", "4.9999995", "0.0000005", "1e22", "1e23",
    "9007199254740993", "2.5e-324", "1e308", "-1e308", "1" + "0" * 246,
    "-1" + "0" * 245, "9" * 246, "1" + "0" * 247, "8" * 250, "1e246", "1e247",
    "2.2250738585072011e-308", "1.7976931348623157e308", "4.9406564584124654e-324",
    "123456789012345678901234567890", "9007199254740992", "18446744073709551616",
    "0.30000000000000004", "2.5e-7", "-2.5e-7", "1.0000005", "0.0000015", "1e15",
    "999999.9999995", "4503599627370496.5", "1e16", "-1e22", "5e-324", "1e-7",
]
TEXT_TEXTS = [
    "", " ", "a", "b", "z", "A", "Z", "abc", "abd", "ab", "x1", "hello", "Hello",
    " 5", ".5", "-", "+", "-x", "+x", "-.5", "nan", "inf", "-inf", "e5", "_",
    "x y", "a,b", "~", "{", "}", ";", "<:", "->", "ESLI", "i2", "w2_end", ".",
    "8", "9", ":", ";x", "Zed", "X", "c", "tab\there", "a\\b", "a/b", "+-5",
    "--5", "-+5",
    "not defined value", "hodnota neurcena", "\\n", "//", "::", "/*", ":!",
]
# Conditions that are false in both languages' truth test.
FALSY = ['""', "0", "-0", "+0", "0,9", '"0,9"', '"0x0"', '"0e5"', '"0.000000"',
         '"-0"', "000", '"0abc"']
PRINTABLE = [chr(c) for c in range(0x20, 0x7F) if chr(c) != '"']
LETTERS = "abcdefghijklmnopqrstuvwxyz"


def _safe_text(s, limit=MAX_WORD):
    """True when s may stand as a value text in both languages.

    The number tests differ only on texts that begin ",d", "+,d" or "-,d"
    (numbers to plimbo only).  A text that begins "," "+," or "-," is left
    out even without the digit: joined with a text that begins with a digit,
    it would become one.
    """
    if s.startswith(",") or s.startswith("+,") or s.startswith("-,"):
        return False
    return len(s.encode("latin-1")) <= limit


class Emitter:
    """Collects neutral tokens and lays them out identically in both languages."""

    def __init__(self, rng, switches):
        self.rng = rng
        self.sw = switches
        self.items = []          # (plimbo_text, m4t4_text, newline_before, indent)
        self.pending_newline = False
        self.indent = 0

    def tok(self, p, m=None):
        self.items.append((p, p if m is None else m, self.pending_newline, self.indent))
        self.pending_newline = False

    def kw(self, name):
        self.tok(*KW[name])

    def newline(self):
        self.pending_newline = True

    def _comment(self):
        rng = self.rng
        words = " ".join(rng.choice(["note", "x", "loop", "ab1", "t_2", "ok", "ESLI", "i2",
                                     '"', "$a", "@a", "{", ";", "* /", "! :", "/", ":"])
                         for _ in range(rng.randint(0, 3)))
        if self.sw["comment_bytes"] and rng.random() < 0.3:
            # Any bytes but those that would end the comment early.
            words = "".join(chr(rng.randint(0, 255)) for _ in range(rng.randint(1, 12)))
            while "*/" in words or "!:" in words or "\n" in words:
                words = words.replace("*/", "*").replace("!:", "!").replace("\n", " ")
        if rng.random() < 0.5:
            return (" // " + words + "\n", " :: " + words + "\n")
        if rng.random() < 0.3:
            words += "\n" + words
        return (" /* " + words + " */ ", " :! " + words + " !: ")

    def _separator(self, newline_before, indent, tight):
        rng = self.rng
        if newline_before:
            sep = ("\n" + "  " * indent,) * 2
        else:
            sep = (" ", " ")
        r = rng.random()
        if tight and self.sw["tight_layout"] and r < 0.3:
            return ("", "")
        if self.sw["control_whitespace"] and r > 0.985:
            odd = rng.choice(["\r", "\v", "\f", " \r"])
            if sep[0].startswith("\n"):
                return ("\r" + sep[0],) * 2       # a CR LF line end
            return (odd,) * 2
        if self.sw["comments"] and r < 0.02:
            c = self._comment()
            return (c[0] + sep[0], c[1] + sep[1])
        if self.sw["odd_layout"] and r < 0.05:
            odd = rng.choice(["\t", "\n", "  ", " \n\n ", "\t\n"])
            return (sep[0] + odd, sep[1] + odd)
        return sep

    def render(self):
        p_out, m_out = [], []
        for i, (p, m, nl, indent) in enumerate(self.items):
            if i:
                # Beside punctuation both lexers end a token without white space.
                before = self.items[i - 1]
                tight = p and before[0] and (p in PUNCTUATION or before[0] in PUNCTUATION)
                sp, sm = self._separator(nl, indent, tight)
                p_out.append(sp)
                m_out.append(sm)
            p_out.append(p)
            m_out.append(m)
        rng = self.rng
        end = rng.choice(["\n", "\n", "\n", ""])      # a last line without a line break
        if self.sw["trailing_garbage"] and rng.random() < 0.2:
            # Nothing after the end word is read; white space must end the word.
            end = rng.choice([" ", "\n"]) + "".join(
                chr(rng.randint(1, 255)) for _ in range(rng.randint(1, 20)))
        p_out.append(end)
        m_out.append(end)
        return "".join(p_out).encode("latin-1"), "".join(m_out).encode("latin-1")


# Expression trees: ("lit", text) ("var", name) ("call", name, [args])
# ("bin", op, left, right) ("not", operand) ("paren", inner).
def level(node):
    if node[0] == "bin":
        return LEVEL[node[1]]
    if node[0] == "not":
        return NOT_LEVEL
    return ATOM_LEVEL


def emit_expr(em, node, need=1):
    """Writes node, in parentheses when its level is looser than need."""
    if level(node) < need:
        em.tok("(")
        emit_expr(em, node, 1)
        em.tok(")")
        return
    kind = node[0]
    if kind == "lit":
        em.tok(node[1])
    elif kind == "var":
        em.tok("$" + node[1], "@" + node[1])
    elif kind == "call":
        em.tok("#" + node[1], "~" + node[1])
        em.tok("(")
        for i, arg in enumerate(node[2]):
            if i:
                em.tok(";")
            emit_expr(em, arg, 1)
        em.tok(")")
    elif kind == "paren":
        em.tok("(")
        emit_expr(em, node[1], 1)
        em.tok(")")
    elif kind == "not":
        em.tok("!")
        emit_expr(em, node[1], 3)          # "!" applies to a comparison level
    else:
        op, left, right = node[1], node[2], node[3]
        lv = LEVEL[op]
        emit_expr(em, left, lv)            # left associative: same level is fine
        em.tok(op)
        emit_expr(em, right, lv + 1)       # right operand one level tighter


class Generator:
    def __init__(self, seed, switches=None):
        self.rng = random.Random(seed)
        self.sw = dict(SWITCHES)
        if switches:
            self.sw.update(switches)
        self.em = Emitter(self.rng, self.sw)
        rng = self.rng
        names = self._names(rng.randint(2, 7) + 3 * MAX_LOOP_DEPTH + 4)
        n_num = rng.randint(1, 4)
        n_text = rng.randint(1, 3)
        self.num_vars = names[:n_num]
        self.text_vars = names[n_num:n_num + n_text]
        self.counter_names = names[n_num + n_text:n_num + n_text + MAX_LOOP_DEPTH]
        self.func_names = names[n_num + n_text + MAX_LOOP_DEPTH:]
        self.ready_num = []       # variables that hold a value already
        self.ready_text = []
        self.counters = []        # counters of the enclosing loops, innermost last
        self.counter_max = {}     # the largest value each counter can reach
        self.text_counters = []   # counters of enclosing loops on a growing text
        self.reads = 0            # upper bound of input words the program may read
        self.wild = rng.choice([0.0, 0.02, 0.05])   # chance of a mistyped operand
        self.max_depth = rng.choice([2, 3, 4, 4, 5, 6])  # of expression trees
        self.max_size = rng.choice([30, 60, 60, 150])    # statements before nesting stops
        self.size = 0             # statements generated so far

    # ---- names and literals -------------------------------------------------
    def _names(self, count):
        rng, seen, out = self.rng, set(), []
        while len(out) < count:
            n = rng.choice(LETTERS) + "".join(
                rng.choice(LETTERS + "0123456789") for _ in range(rng.randint(0, 4)))
            if rng.random() < 0.1:
                n += "_" + rng.choice(LETTERS)
            if self.sw["long_names"] and rng.random() < 0.05:
                n += "".join(rng.choice(LETTERS + "0123456789") for _ in range(rng.randint(40, 200)))
            if n not in seen:
                seen.add(n)
                out.append(n)
        return out

    def number_token(self):
        rng = self.rng
        sign = rng.choice(["", "", "", "-", "+"])
        r = rng.random()
        if r < 0.4:
            digits = str(rng.randint(0, 9))
        elif r < 0.8:
            digits = str(rng.randint(0, 1000))
        elif r < 0.92:
            digits = "".join(rng.choice("0123456789") for _ in range(rng.randint(2, 20)))
        elif self.sw["huge_numbers"]:
            # "%f" of 1e247 needs exactly 254 characters: probe around it.
            digits = rng.choice("123456789") + "0" * rng.choice(
                [rng.randint(30, 250), rng.randint(244, 250)])
            if self.sw["overlong_texts"] and rng.random() < 0.2:
                digits = "".join(rng.choice("0123456789") for _ in range(rng.randint(250, 300)))
        else:
            digits = "".join(rng.choice("0123456789") for _ in range(rng.randint(2, 30)))
        digits = digits[:(MAX_OVERLONG if self.sw["overlong_texts"] else MAX_WORD) - 6]
        if rng.random() < 0.25:
            digits += "," + "".join(rng.choice("0123456789") for _ in range(rng.randint(1, 4)))
        return sign + digits

    def decimal_text(self):
        """A text that atof reads as a decimal number: digits, point, exponent, junk."""
        rng = self.rng
        s = rng.choice(["", "", "-", "+"])
        s += "".join(rng.choice("0123456789") for _ in range(rng.randint(1, 25)))
        if rng.random() < 0.5:
            s += "." + "".join(rng.choice("0123456789") for _ in range(rng.randint(0, 20)))
        if rng.random() < 0.4:
            s += rng.choice("eE") + rng.choice(["", "-", "+"]) + str(
                rng.choice([rng.randint(0, 30), rng.randint(280, 330)]))
        if rng.random() < 0.2:
            s += rng.choice(["x", "abc", " 1", ",5", ".5", "e", "e+", "-"])
        return s

    def random_text(self, numeric):
        rng = self.rng
        while True:
            r = rng.random()
            if numeric:
                if r < 0.45:
                    s = rng.choice(NUMERIC_TEXTS)
                elif r < 0.7:
                    s = self.decimal_text()
                else:
                    s = self.number_token().replace(",", rng.choice([",", "."]))
                    s += "".join(rng.choice(PRINTABLE) for _ in range(rng.randint(0, 3)))
            elif r < 0.5:
                s = rng.choice(TEXT_TEXTS)
            elif r < 0.97 or not self.sw["long_texts"]:
                s = "".join(rng.choice(PRINTABLE) for _ in range(rng.randint(0, 8)))
            else:
                limit = MAX_OVERLONG if self.sw["overlong_texts"] else MAX_WORD
                s = "".join(rng.choice(PRINTABLE) for _ in range(rng.randint(100, limit)))
            if self.sw["high_bytes"] and rng.random() < 0.1:
                pos = rng.randint(0, len(s))
                byte = 0xFF if rng.random() < 0.2 else rng.randint(0x80, 0xFF)
                s = s[:pos] + chr(byte) + s[pos:]
            if _safe_text(s, MAX_OVERLONG if self.sw["overlong_texts"] else MAX_WORD):
                return s

    def string_literal(self, numeric):
        while True:
            s = self.random_text(numeric)
            if s in FORBIDDEN_LITERALS or s.endswith("\\") or s.endswith("/"):
                continue
            if self.sw["multiline_strings"] and self.rng.random() < 0.03:
                pos = self.rng.randint(0, len(s))
                s = s[:pos] + "\n" + s[pos:]
            return '"' + s + '"'

    def input_word(self):
        rng = self.rng
        while True:
            s = self.random_text(rng.random() < 0.5)
            s = "".join(c for c in s if c not in " \t\n\r\v\f")
            if self.sw["nul_in_input"] and rng.random() < 0.02:
                # A word read into a C string ends at its first NUL byte.
                pos = rng.randint(1, len(s)) if s else 0
                s = s[:pos] + "\0" + s[pos:]
            if s and _safe_text(s, MAX_OVERLONG if self.sw["overlong_texts"] else MAX_WORD):
                return s

    # ---- expressions --------------------------------------------------------
    def expr(self, numeric, depth, spine=True):
        """A tree whose value is a number text (numeric) or any text.

        spine: no value of the enclosing expression waits beneath this one on
        the value stack.  Only there may a call have several arguments: the
        earlier arguments stay on the stack, and an operator that later pops
        its left operand would take one of them instead (the same in both
        languages, but it would no longer be "the call yields its last
        argument", and could keep a loop condition true for ever).
        """
        rng = self.rng
        if numeric and rng.random() < self.wild:
            numeric = False
        if depth <= 0 or rng.random() < 0.3:
            return self.atom(numeric, depth, spine)
        d = depth - 1
        r = rng.random()
        if r < 0.08:
            inner = self.expr(numeric, d, spine)
            for _ in range(rng.randint(1, 30) if rng.random() < 0.1 else 1):
                inner = ("paren", inner)
            return inner
        if r < 0.16:
            return self.call(numeric, d, spine)
        if r < 0.36:
            op = rng.choice(COMPARISONS)
            return ("bin", op, self.expr(rng.random() < 0.5, d, spine),
                    self.expr(rng.random() < 0.5, d, False))
        if r < 0.46:
            return ("bin", rng.choice("|&"), self.expr(True, d, spine), self.expr(True, d, False))
        if r < 0.52:
            return ("not", self.expr(True, d, spine))
        if r < 0.72 or not numeric:
            # "+" adds numbers and joins texts.
            return ("bin", "+", self.expr(numeric, d, spine), self.expr(numeric, d, False))
        op = rng.choice(["-", "*", "/", "%", "-", "*"])
        left = self.expr(True, d, spine)
        right = self.expr(True, d, False)
        if op in "/%" and rng.random() < 0.7:
            right = ("lit", rng.choice(["2", "3", "7", "-4", "0,5", "1,5", '"8"', "10"]))
        if op in "/%" and self.sw["zero_divisors"] and rng.random() < 0.05:
            right = ("lit", rng.choice(["0", "-0", '"0"', "0,9"]))
        return ("bin", op, left, right)

    def atom(self, numeric, depth, spine):
        rng = self.rng
        r = rng.random()
        var = self.readable_var(numeric)
        if r < 0.35 and var:
            return ("var", var)
        if r < 0.65:
            return ("lit", self.number_token() if numeric or rng.random() < 0.3
                    else self.string_literal(False))
        if r < 0.8:
            return ("lit", self.string_literal(numeric))
        if r < 0.9 and depth > 0:
            return self.call(numeric, depth - 1, spine)
        return ("lit", self.number_token() if numeric else self.string_literal(False))

    def readable_var(self, numeric):
        rng = self.rng
        pool = self.ready_num + self.counters * 2
        if not numeric:
            pool += self.ready_text * 2 + self.text_counters * 2
        return rng.choice(pool) if pool else None

    def call(self, numeric, depth, spine):
        rng = self.rng
        n = 1
        if spine and self.sw["multi_argument_calls"] and rng.random() < 0.4:
            n = rng.randint(2, 3)
        # The earlier arguments' values are left over beneath; they are never
        # taken, so every argument keeps the call's own position.
        args = [self.expr(rng.random() < 0.5, depth, spine) for _ in range(n - 1)]
        args.append(self.expr(numeric, depth, spine))
        return ("call", rng.choice(self.func_names), args)

    # ---- statements ---------------------------------------------------------
    def assign(self, name, tree):
        em = self.em
        em.newline()
        em.tok("$" + name, "@" + name)
        sign = "<:"
        if self.sw["alternative_assignment_signs"] and self.rng.random() < 0.15:
            sign = self.rng.choice([">:", "!:"])
        em.tok(sign, "->")
        emit_expr(em, tree)
        em.tok(";")

    def output(self, tree):
        em = self.em
        em.newline()
        split = self.sw["split_output"] and self.rng.random() < 0.1
        em.tok("VRACEE", "pis" if split else "pis_ln")
        em.tok("(")
        emit_expr(em, tree)
        em.tok(")")
        em.tok(";")
        if split:
            em.tok("", 'pis_ln ( "" ) ;')

    def block(self, depth, loops, mult, count):
        em = self.em
        em.tok("{")
        em.indent += 1
        for _ in range(count):
            self.statement(depth, loops, mult)
        em.indent -= 1
        em.newline()
        em.tok("}")

    def statement(self, depth, loops, mult):
        rng, em = self.rng, self.em
        self.size += 1
        big = self.size > self.max_size
        r = rng.random()
        edepth = rng.randint(0, self.max_depth)
        if r < 0.3:
            if rng.random() < 0.5:
                self.assign(rng.choice(self.num_vars), self.expr(True, edepth))
            else:
                self.assign(rng.choice(self.text_vars), self.expr(False, edepth))
        elif r < 0.55:
            self.output(self.expr(rng.random() < 0.5, edepth))
        elif r < 0.62 and mult <= 64:
            em.newline()
            em.kw("read")
            em.tok("(")
            # Mostly into a text variable; a word read into a number variable
            # may be no number, and then a later operator fails on it.
            v = rng.choice(self.num_vars if rng.random() < 0.2 else self.text_vars)
            em.tok("$" + v, "@" + v)
            em.tok(")")
            em.tok(";")
            self.reads += mult
        elif r < 0.8 and depth < 6 and not big:
            em.newline()
            em.kw("if")
            em.tok("(")
            cond = self.expr(rng.random() < 0.5, edepth)
            if self.counters and rng.random() < 0.3:
                # Taken on some passes of the enclosing loop only, so that a
                # loop inside it runs on some passes and is skipped on others.
                cond = ("bin", rng.choice(COMPARISONS), ("var", rng.choice(self.counters)),
                        ("lit", str(rng.randint(0, 3))))
            elif rng.random() < 0.1:
                cond = ("lit", rng.choice(FALSY))
            emit_expr(em, cond)
            em.tok(")")
            self.block(depth + 1, loops, mult, rng.randint(0, 3))
            if rng.random() < 0.5:
                em.kw("else")
                self.block(depth + 1, loops, mult, rng.randint(0, 3))
            em.kw("endif")
            em.tok(";")
        elif loops < MAX_LOOP_DEPTH and depth < 6 and not big:
            if rng.random() < 0.15:
                self.text_loop(depth, loops, mult)
            else:
                self.loop(depth, loops, mult)
        else:
            self.output(self.expr(False, edepth))

    def open_loop(self, test):
        """Starts a loop on a new line: its word, its condition and "{"."""
        em = self.em
        em.newline()
        em.kw("while")
        em.tok("(")
        emit_expr(em, test)
        em.tok(")")
        em.tok("{")
        em.indent += 1

    def text_loop(self, depth, loops, mult):
        """A loop on a text that grows by one character until it equals a fixed text."""
        rng, em = self.rng, self.em
        counter = self.counter_names[loops]
        ch = rng.choice(["a", "z", "8", ":", "~", " ", "\xe9"])
        bound = rng.randint(0, 4)
        k = ("var", counter)
        target = ("lit", '"' + ch * bound + '"')
        # The texts are never numbers ("8" is, but then "88" < "888" compares
        # numbers the same way), so these are comparisons of texts by strcmp.
        test = rng.choice([("bin", "!=", k, target), ("bin", "<", k, target),
                           ("bin", ">", target, k), ("not", ("bin", "=", k, target)),
                           ("not", ("bin", ">=", k, target))])
        self.assign(counter, ("lit", '""'))
        self.open_loop(test)
        self.text_counters.append(counter)
        count = rng.randint(0, 3)
        update_at = rng.randint(0, count)
        for i in range(count + 1):
            if i == update_at:
                self.assign(counter, ("bin", "+", k, ("lit", '"' + ch + '"')))
            if i < count:
                self.statement(depth + 1, loops + 1, mult * (bound + 1))
        self.text_counters.pop()
        em.indent -= 1
        em.newline()
        em.tok("}")
        em.kw("endwhile")
        em.tok(";")

    def loop(self, depth, loops, mult):
        """A counted loop: a counter that only the loop changes, a fixed bound."""
        rng, em = self.rng, self.em
        counter = self.counter_names[loops]
        bound = rng.randint(0, [5, 4, 3, 2][loops])
        if loops == 0 and rng.random() < 0.05:
            bound = rng.randint(10, 40)          # a longer run of replays
        k = ("var", counter)
        up = rng.random() < 0.7
        step = rng.choice(["1", "1", "2", "+1", '"1"', "1,5", '"3x"'])
        if up:
            start = rng.choice(["0", "0,0", '"0"', "-1", "1"])
            limit = ("lit", rng.choice([str(bound), str(bound) + ",0", '"%d"' % bound]))
            if self.counters and rng.random() < 0.3:
                # Bounded by an enclosing counter: the loop runs a different
                # number of times (often none or once) on each outer pass.
                outer = rng.choice(self.counters)
                limit = ("var", outer)
                bound = self.counter_max[outer]
            test = rng.choice([("bin", "<", k, limit), ("bin", ">", limit, k),
                               ("not", ("bin", ">=", k, limit))])
            update = ("bin", "+", k, ("lit", step))
        else:
            start = str(bound)
            test = rng.choice([("bin", ">", k, ("lit", "0")), ("bin", ">=", k, ("lit", "1"))])
            update = ("bin", "-", k, ("lit", step))
        if rng.random() < 0.05:
            test = ("lit", rng.choice(FALSY))    # the body is only parsed
        elif rng.random() < 0.25:
            # Another condition joined with "&" can only end the loop sooner.
            if rng.random() < 0.5:
                test = ("bin", "&", test, self.expr(True, 2, False))
            else:
                test = ("bin", "&", self.expr(True, 2, True), test)
        self.assign(counter, ("lit", start))
        self.open_loop(test)
        self.counters.append(counter)
        # Counting up from at most 1 by at least 1, or down from the bound: the
        # counter never exceeds bound + 3 (a "3x" step taken before the test).
        self.counter_max[counter] = bound + 3
        inner = mult * (bound + 2)
        count = rng.randint(0, 3)
        update_at = rng.randint(0, count)
        for i in range(count + 1):
            if i == update_at:
                self.assign(counter, update)
            if i < count:
                self.statement(depth + 1, loops + 1, inner)
        self.counters.pop()
        em.indent -= 1
        em.newline()
        em.tok("}")
        em.kw("endwhile")
        em.tok(";")

    # ---- program ------------------------------------------------------------
    def program(self):
        rng, em = self.rng, self.em
        declarations = rng.choice([0, 0, 1, 1, 2])
        for d in range(declarations + 1):
            last = d == declarations
            if not last:
                em.newline()
                name = rng.choice(self.func_names)
                em.tok("@" + name, "?" + name)
                em.tok("(")
                for i in range(rng.randint(1, 3)):
                    if i:
                        em.tok(";")
                    em.tok(rng.choice(["PROM", "CTE"]), "p2")
                    v = rng.choice(self.num_vars + self.text_vars + self.counter_names)
                    em.tok("$" + v, "@" + v)
                em.tok(")")
            em.newline()
            em.tok("{")
            em.indent += 1
            if d == 0:
                # The first block to run gives every variable a value; each
                # value reads only the variables assigned before it.
                for v in self.num_vars:
                    self.assign(v, self.expr(True, 1))
                    self.ready_num.append(v)
                for v in self.text_vars:
                    self.assign(v, self.expr(False, 1))
                    self.ready_text.append(v)
            for _ in range(rng.randint(1, 8) if last else rng.randint(0, 4)):
                self.statement(0, 0, 1)
            em.indent -= 1
            em.newline()
            em.tok("}")
        em.kw("end")
        plimbo, m4t4 = em.render()
        words = [self.input_word() for _ in range(self.reads + rng.randint(0, 2))]
        seps = [rng.choice([" ", " ", "\n", "\t", "  "] +
                           (["\r\n", "\v", "\f", "\r"] if self.sw["control_whitespace"] else []))
                for _ in words]
        stdin = "".join(w + s for w, s in zip(words, seps)).encode("latin-1")
        return plimbo, m4t4, stdin


def generate(seed, switches=None):
    return Generator(seed, switches).program()


if __name__ == "__main__":
    import sys
    p, m, i = generate(int(sys.argv[1]) if len(sys.argv) > 1 else 1)
    sys.stdout.buffer.write(b"--- plimbo\n" + p + b"--- m4t4\n" + m + b"--- input\n" + i + b"\n")
