# Checks of the mutant sites on small C++ texts: python3 -m unittest discover -s scripts/mutation
import unittest

from sites import candidates


def mutated(source):
    """Each candidate as (operator, the source with it written in, white space collapsed)."""
    return {(m.operator, " ".join((source[:m.start] + m.replacement + source[m.end:]).split()))
            for m in candidates("src/X/x.cpp", source)}


class Sites(unittest.TestCase):
    def test_what_is_never_mutated(self):
        for source in [
            "// if (a < b) return true;\n",
            "/* x == 1 && y */\n",
            'const char* s = "a < b && !c 1";\n',
            "const char* r = R\"x(a \" < b == 1)x\";\n",
            "char c = '<'; char d = '!';\n",
            "#include <vector>\n#define LIMIT 1\n#if A > 2\n#endif\n",
            "static_assert(sizeof(int) >= 4 && true);\n",
            "std::vector<std::optional<int>> v;\n",
            "template <typename T> void f(T&& t, const std::vector<T>& u);\n",
            "bool operator==(const A&, const A&);\n",
            "enum class Kind { a = 1, b = 2 };\n",
            "double d = 1.5 + 1e5 + 2.0e-3 + 0x1p3;\n",
            "[[nodiscard]] int f();\n",
        ]:
            with self.subTest(source=source):
                self.assertEqual(mutated(source), set())

    def test_each_operator(self):
        for source, expected in [
            ("bool f() { return a < b; }",
             {("comparison", "bool f() { return a <= b; }"), ("return-default", "bool f() { return false; }")}),
            ("x = a != b;", {("comparison", "x = a == b;")}),
            ("x = a && !b;", {("logical", "x = a || !b;"), ("negation", "x = a && b;")}),
            ("x = true;", {("boolean", "x = false;")}),
            ("int n = 1'000 + 0x1f + 07 + 5s;",
             {("integer", "int n = 1001 + 0x1f + 07 + 5s;"), ("integer", "int n = 1'000 + 0x20 + 07 + 5s;"),
              ("integer", "int n = 1'000 + 0x1f + 010 + 5s;"), ("integer", "int n = 1'000 + 0x1f + 07 + 6s;")}),
            ("std::string f() { return name; }", {("return-default", "std::string f() { return {}; }")}),
            ("int f() { return c ? a < b : d; }",
             {("comparison", "int f() { return c ? a <= b : d; }"), ("return-default", "int f() { return {}; }")}),
        ]:
            with self.subTest(source=source):
                self.assertEqual(mutated(source), expected)

    def test_statements_dropped_are_expressions_in_function_bodies(self):
        body = "void f() { int x = g(); Type t(x); x = 2; ++x; out << x; h(x).k(); p->q(); }"
        dropped = {after for operator, after in mutated(body) if operator == "statement"}
        self.assertEqual(dropped, {
            "void f() { int x = g(); Type t(x); ++x; out << x; h(x).k(); p->q(); }",
            "void f() { int x = g(); Type t(x); x = 2; out << x; h(x).k(); p->q(); }",
            "void f() { int x = g(); Type t(x); x = 2; ++x; h(x).k(); p->q(); }",
            "void f() { int x = g(); Type t(x); x = 2; ++x; out << x; p->q(); }",
            "void f() { int x = g(); Type t(x); x = 2; ++x; out << x; h(x).k(); }"})
        self.assertNotIn("statement", {operator for operator, _ in mutated("struct S { S(); void f(); };")})

    def test_return_branches_without_else(self):
        for source, dropped in [
            ("int f() { if (a) return 1; return 2; }", "int f() { return 2; }"),
            ("int f() { if (a) { return 1; } return 2; }", "int f() { return 2; }"),
            ("int f() { if (a) return 1; else return 2; }", None),
            ("int f() { if (a) { g(); return 1; } return 2; }", None),
        ]:
            with self.subTest(source=source):
                branches = {after for operator, after in mutated(source) if operator == "return-branch"}
                self.assertEqual(branches, {dropped} if dropped else set())


if __name__ == "__main__":
    unittest.main()
