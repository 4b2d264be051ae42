# Candidate mutants of one C++ file: every place where one small, compilable fault can be written.
import re
from dataclasses import dataclass

from tokens import Token, tokenize

# Relational operators move their boundary; equality is negated.
_COMPARISONS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
_LOGICAL = {"&&": "||", "||": "&&"}
_ASSIGNMENTS = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="}
# A statement that starts with one of these is a declaration or a control statement, never a plain expression.
_NOT_EXPRESSIONS = {
    "return", "if", "for", "while", "do", "switch", "case", "default", "break", "continue", "goto", "throw",
    "try", "catch", "else", "using", "typedef", "static_assert", "const", "constexpr", "static", "auto",
    "template", "delete", "co_return", "decltype", "friend", "public", "private", "protected", "this"}
# Returned values that already are the default: replacing them would change nothing.
_DEFAULTS = {"{}", "0", "false", "nullptr", "std::nullopt", '""', "*this"}
# An integer literal with its suffix: unsigned or long, a user-defined one or a standard duration (5s, 100ms);
# a floating literal (1e5, 0x1p3) does not match.
_INTEGER = re.compile(r"(0[xX][0-9a-fA-F']+|0[bB][01']+|[0-9][0-9']*)([uUlLzZ]+|_\w*|h|min|s|ms|us|ns|d|y)?")


@dataclass(frozen=True)
class Mutant:
    path: str         # relative to the repository root
    start: int        # offsets of the replaced text
    end: int
    replacement: str
    operator: str     # comparison, boolean, negation, integer, logical, statement, return-branch, return-default
    line: int

    def key(self):
        return f"{self.path}:{self.line}:{self.start}:{self.operator}"


def _matching(tokens, i):
    """The index of the bracket that closes the one at i."""
    opening, depth = tokens[i].text, 0
    closing = {"(": ")", "[": "]", "{": "}", "<": ">"}[opening]
    for j in range(i, len(tokens)):
        text = tokens[j].text
        if text == opening:
            depth += 1
        elif text == closing or (opening == "<" and text == ">>"):
            depth -= 2 if text == ">>" else 1
            if depth <= 0:
                return j
    return len(tokens) - 1


def _statement_end(tokens, i):
    """The index of the ";" that ends the statement starting at i, skipping nested brackets."""
    while i < len(tokens) and tokens[i].text != ";":
        if tokens[i].text in "([{":
            i = _matching(tokens, i)
        i += 1
    return i


def _excluded(tokens):
    """Indices never mutated: static_assert arguments, attributes, and the symbol after "operator"."""
    excluded = set()
    for i, token in enumerate(tokens):
        if token.text == "static_assert" and i + 1 < len(tokens):
            excluded.update(range(i, _matching(tokens, i + 1) + 1))
        elif token.text == "[" and i + 1 < len(tokens) and tokens[i + 1].text == "[":
            excluded.update(range(i, _matching(tokens, i) + 1))
        elif token.text == "operator":
            excluded.update(range(i, i + 3))
    return excluded


def _blocks(tokens):
    """For each token, whether it stands directly in a block of statements (a function or control body),
    at that block's own bracket depth, and whether it stands in an enumeration's body."""
    in_code, in_enum = [False] * len(tokens), [False] * len(tokens)
    stack = []  # (kind, bracket depth at the "{")
    depth, head = 0, 0  # head: the first token of the declaration or statement under way
    for i, token in enumerate(tokens):
        kind, opened_at = stack[-1] if stack else ("namespace", 0)
        in_code[i] = kind == "code" and depth == opened_at
        in_enum[i] = kind == "enum"
        text = token.text
        if text in ("(", "["):
            depth += 1
        elif text in (")", "]"):
            depth -= 1
        elif text == "{":
            words = [t.text for t in tokens[head:i]]
            previous = [tokens[k - 1].text if k > 0 else "" for k in range(head, i)]
            if "enum" in words:
                stack.append(("enum", depth))
            elif any(w in ("class", "struct", "union", "namespace", "extern") and p not in ("<", ",")
                     for w, p in zip(words, previous)):
                stack.append(("namespace", depth))
            else:
                stack.append(("code", depth))  # a brace-initialiser too: harmless, it holds no statement
            head = i + 1
        elif text == "}":
            if stack:
                stack.pop()
            head = i + 1
        elif text == ";" and (not stack or depth == stack[-1][1]):
            head = i + 1
    return in_code, in_enum


def _starts_statement(tokens, i):
    """True when a statement may start at i: after a ";", a brace, or a case or default label."""
    if tokens[i - 1].text in (";", "{", "}"):
        return True
    if tokens[i - 1].text != ":":
        return False
    k = i - 1
    while k > 0 and tokens[k - 1].text not in (";", "{", "}"):
        k -= 1
    return tokens[k].text in ("case", "default")


def _expression_statement(tokens, i):
    """The index of the ";" of the expression statement at i (a call, an assignment, an increment or a
    stream insertion), or None when the statement at i may be a declaration."""
    j, called = i, False
    if tokens[i].text in ("++", "--", "*"):
        j, called = i + 1, tokens[i].text != "*"
    elif tokens[i].text in _NOT_EXPRESSIONS:
        return None
    while True:  # a name, qualified, with template arguments written tight against it
        if tokens[j].kind != "ident":
            return None
        j += 1
        if tokens[j].text == "<" and not tokens[j].spaced and tokens[j].start == tokens[j - 1].end:
            j = _matching(tokens, j) + 1
        if tokens[j].text != "::":
            break
        j += 1
    while True:  # member access, calls and subscripts
        text = tokens[j].text
        if text in (".", "->"):
            j += 1
            if tokens[j].kind != "ident":
                return None
            j += 1
        elif text in ("(", "["):
            called = text == "("
            j = _matching(tokens, j) + 1
        elif text in ("++", "--"):
            called = True
            j += 1
        else:
            break
    text = tokens[j].text
    if text == ";":
        return j if called else None
    if text in _ASSIGNMENTS or text == "<<":
        return _statement_end(tokens, j)
    return None


def _boolean(expression):
    """True when an expression is a truth value by its outermost operator: then "false" is its default, and
    it also suits a lambda, whose deduced return type cannot come from "{}"."""
    depth, boolean = 0, expression[0].text in ("!", "true")
    for token in expression:
        if token.text in ("(", "[", "{"):
            depth += 1
        elif token.text in (")", "]", "}"):
            depth -= 1
        elif depth == 0 and token.text == "?":
            return False
        elif depth == 0 and token.spaced and (token.text in _COMPARISONS or token.text in _LOGICAL):
            boolean = True
    return boolean


def _integer_plus_one(text):
    match = _INTEGER.fullmatch(text)
    if not match:
        return None
    digits, suffix = match.group(1).replace("'", ""), match.group(2) or ""
    if digits[:2] in ("0x", "0X"):
        return f"0x{int(digits, 16) + 1:x}{suffix}"
    if digits[:2] in ("0b", "0B"):
        return f"0b{int(digits, 2) + 1:b}{suffix}"
    if len(digits) > 1 and digits[0] == "0":
        return f"0{int(digits, 8) + 1:o}{suffix}"
    return f"{int(digits) + 1}{suffix}"


def candidates(path, text):
    """Every candidate mutant of one file, in the order of its position in the file."""
    tokens = tokenize(text)
    if not tokens:
        return []
    tokens.append(Token("end", "", len(text), len(text), tokens[-1].line))
    excluded = _excluded(tokens)
    in_code, in_enum = _blocks(tokens)
    found = []

    def add(first, last, replacement, operator):
        found.append(Mutant(path, tokens[first].start, tokens[last].end, replacement, operator, tokens[first].line))

    for i, token in enumerate(tokens[:-1]):
        if i in excluded:
            continue
        text_ = token.text
        if token.kind == "punct" and token.spaced and text_ in _COMPARISONS:
            add(i, i, _COMPARISONS[text_], "comparison")
        elif token.kind == "punct" and token.spaced and text_ in _LOGICAL:
            add(i, i, _LOGICAL[text_], "logical")
        elif text_ in ("true", "false"):
            add(i, i, "false" if text_ == "true" else "true", "boolean")
        elif text_ == "!":
            add(i, i, "", "negation")
        elif token.kind == "number" and not in_enum[i]:
            plus_one = _integer_plus_one(text_)
            if plus_one:
                add(i, i, plus_one, "integer")
        if not in_code[i] or not _starts_statement(tokens, i):
            continue
        if text_ == "return" and tokens[i + 1].text != ";":
            end = _statement_end(tokens, i + 1)
            value = "".join(t.text for t in tokens[i + 1:end])
            if value not in _DEFAULTS:
                add(i + 1, end - 1, "false" if _boolean(tokens[i + 1:end]) else "{}", "return-default")
        elif text_ == "if" and tokens[i + 1].text == "(":
            body = _matching(tokens, i + 1) + 1
            braced = tokens[body].text == "{"
            first = body + 1 if braced else body
            if tokens[first].text == "return":
                end = _statement_end(tokens, first)
                if braced and tokens[end + 1].text == "}":
                    end += 1
                if (not braced or tokens[end].text == "}") and tokens[end + 1].text != "else":
                    add(i, end, "", "return-branch")
        else:
            end = _expression_statement(tokens, i)
            if end is not None:
                add(i, end, "", "statement")
    return found
