# C++ tokens for the mutation tool: enough of the lexer to never mutate a comment, a literal or a directive.
import re
from dataclasses import dataclass

# Longest first, so that "<<=" is one token and never "<" followed by "<=".
_PUNCTUATORS = sorted(
    "<=> <<= >>= ->* ... -> >> << <= >= == != && || ++ -- += -= *= /= %= &= |= ^= :: .* "
    "{ } [ ] ( ) ; : ? , . + - * / % ^ & | ~ ! = < > #".split(),
    key=len, reverse=True)

_LEXEMES = re.compile(
    r"""(?P<space>\s+)
      | (?P<comment>//[^\n]*|/\*.*?\*/)
      | (?P<raw>(?:u8|[uUL])?R"(?P<delim>[^()\\\s]{0,16})\()
      | (?P<string>(?:u8|[uUL])?"(?:\\.|[^"\\\n])*"[A-Za-z_0-9]*)
      | (?P<char>(?:u8|[uUL])?'(?:\\.|[^'\\\n])+')
      | (?P<number>\.?[0-9](?:[eEpP][+-]|'[0-9A-Za-z_]|[0-9A-Za-z_.])*)
      | (?P<ident>[A-Za-z_][A-Za-z_0-9]*)
      | (?P<punct>""" + "|".join(re.escape(p) for p in _PUNCTUATORS) + r""")
      | (?P<other>.)""",
    re.VERBOSE | re.DOTALL)

# A directive runs from a "#" that starts a line to the end of the line, backslash-newlines included.
_DIRECTIVE = re.compile(r"[ \t]*#(?:\\\n|[^\n])*")


@dataclass
class Token:
    kind: str   # ident, number, string, char, punct, other
    text: str
    start: int  # offset of the first character in the file's text
    end: int    # offset just past the last character
    line: int   # 1-based
    spaced: bool = False  # white space on both sides: how our formatting writes a binary operator


def tokenize(text):
    """The tokens of a C++ source text, without comments, white space and preprocessor directives."""
    tokens = []
    position, line, at_line_start = 0, 1, True
    while position < len(text):
        if at_line_start:
            directive = _DIRECTIVE.match(text, position)
            if directive:
                line += directive.group().count("\n")
                position = directive.end()
                continue
        match = _LEXEMES.match(text, position)
        kind = match.lastgroup
        end = match.end()
        if kind == "raw":
            close = text.index(")" + match.group("delim") + '"', end)
            end = close + len(match.group("delim")) + 2
            kind = "string"
        lexeme = text[position:end]
        if kind not in ("space", "comment"):
            tokens.append(Token(kind, lexeme, position, end, line))
        newlines = lexeme.count("\n")
        line += newlines
        if newlines:
            at_line_start = True
        elif kind != "space":
            at_line_start = False
        position = end
    for token in tokens:
        before = text[token.start - 1] if token.start > 0 else "\n"
        after = text[token.end] if token.end < len(text) else "\n"
        token.spaced = before.isspace() and after.isspace()
    return tokens
