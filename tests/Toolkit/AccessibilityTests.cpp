// Tests of the accessibility elements a tree exposes, in reading order.
#include "Accessibility.h"

#include <gtest/gtest.h>

namespace velto::toolkit {
namespace {

struct Case {
  const char* name;
  Element tree;
  std::string expected;
};

void PrintTo(const Case& row, std::ostream* out) { *out << row.name; }

class AccessibilityTextTest : public ::testing::TestWithParam<Case> {};

TEST_P(AccessibilityTextTest, ReadsTheElementsInOrder) {
  EXPECT_EQ(accessibilityText(GetParam().tree), GetParam().expected);
}

const auto lines = VStack(HorizontalAlignment::leading, 6,
                          {Label("velto", "square.split.2x2"), Text("Usage unavailable"),
                           Image(ImageSource::symbol("clock")), Spacer(0), Text("Open velto")});

INSTANTIATE_TEST_SUITE_P(
    Accessibility, AccessibilityTextTest,
    ::testing::Values(
        Case{"PlainStackReadsEachTextAndLabelTitle", lines, "velto\nUsage unavailable\nOpen velto\n"},
        Case{"CombineJoinsChildren", lines.accessibilityElement(AccessibilityChildren::combine),
             "velto, Usage unavailable, Open velto\n"},
        Case{"CombineWithLabelReadsTheLabel",
             lines.accessibilityElement(AccessibilityChildren::combine).accessibilityLabel("Kelp, 42% used"),
             "Kelp, 42% used\n"},
        Case{"IgnoreReadsOnlyItsLabel",
             lines.accessibilityElement(AccessibilityChildren::ignore).accessibilityLabel("Kelp"), "Kelp\n"},
        Case{"IgnoreWithoutLabelSaysNothing", lines.accessibilityElement(AccessibilityChildren::ignore), ""},
        Case{"ContainKeepsChildrenApart",
             lines.accessibilityElement(AccessibilityChildren::contain).accessibilityLabel("group"),
             "velto\nUsage unavailable\nOpen velto\n"},
        Case{"HiddenSubtreeSaysNothingEvenWhenCombined",
             VStack(HorizontalAlignment::leading, 0,
                    {Text("a"), HStack(VerticalAlignment::center, 0, {Text("b"), Text("c")}).accessibilityHidden(),
                     Text("d").accessibilityHidden(), Text("e")})
                 .accessibilityElement(AccessibilityChildren::combine),
             "a, e\n"},
        Case{"NestedCombineIsOneLabelInsideTheOuter",
             VStack(HorizontalAlignment::leading, 0,
                    {Text("Kelp"), VStack(HorizontalAlignment::leading, 4, {Text("Weekly"), Text("42%")})
                                       .accessibilityElement(AccessibilityChildren::combine)
                                       .accessibilityLabel("Weekly, 42% used")}),
             "Kelp\nWeekly, 42% used\n"},
        Case{"LabelReplacesTextAndLabelsImage",
             HStack(VerticalAlignment::center, 3,
                    {Text("10:00").accessibilityLabel("ten"),
                     Image(ImageSource::symbol("clock")).accessibilityLabel("clock"), Text("")}),
             "ten\nclock\n"}));

}  // namespace
}  // namespace velto::toolkit
