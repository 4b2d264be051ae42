// Tests of the accessibility elements a tree exposes, in reading order, against golden files.
#include "Accessibility.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "Golden.h"

namespace velto::toolkit {
namespace {

struct Case {
  const char* name;
  Element tree;
};

void PrintTo(const Case& row, std::ostream* out) { *out << row.name; }

class AccessibilityTextTest : public ::testing::TestWithParam<Case> {};

TEST_P(AccessibilityTextTest, ReadsTheElementsInOrder) {
  const auto golden = std::filesystem::path(VELTO_FIXTURES_DIR) / "toolkit" / "accessibility" / GetParam().name;
  testing_support::expectGolden(golden.string() + ".txt", accessibilityText(GetParam().tree));
}

const auto lines = VStack(HorizontalAlignment::leading, 6,
                          {Label("velto", "square.split.2x2"), Text("Usage unavailable"),
                           Image(ImageSource::symbol("clock")), Spacer(0), Text("Open velto")});

INSTANTIATE_TEST_SUITE_P(
    Accessibility, AccessibilityTextTest,
    ::testing::Values(
        Case{"PlainStackReadsEachTextAndLabelTitle", lines},
        Case{"CombineJoinsChildren", lines.accessibilityElement(AccessibilityChildren::combine)},
        Case{"CombineWithLabelReadsTheLabel",
             lines.accessibilityElement(AccessibilityChildren::combine).accessibilityLabel("Kelp, 42% used")},
        Case{"IgnoreReadsOnlyItsLabel",
             lines.accessibilityElement(AccessibilityChildren::ignore).accessibilityLabel("Kelp")},
        Case{"IgnoreWithoutLabelSaysNothing", lines.accessibilityElement(AccessibilityChildren::ignore)},
        Case{"ContainKeepsChildrenApart",
             lines.accessibilityElement(AccessibilityChildren::contain).accessibilityLabel("group")},
        Case{"HiddenSubtreeSaysNothingEvenWhenCombined",
             VStack(HorizontalAlignment::leading, 0,
                    {Text("a"), HStack(VerticalAlignment::center, 0, {Text("b"), Text("c")}).accessibilityHidden(),
                     Text("d").accessibilityHidden(), Text("e")})
                 .accessibilityElement(AccessibilityChildren::combine)},
        Case{"NestedCombineIsOneLabelInsideTheOuter",
             VStack(HorizontalAlignment::leading, 0,
                    {Text("Kelp"), VStack(HorizontalAlignment::leading, 4, {Text("Weekly"), Text("42%")})
                                       .accessibilityElement(AccessibilityChildren::combine)
                                       .accessibilityLabel("Weekly, 42% used")})},
        Case{"LabelReplacesTextAndLabelsImage",
             HStack(VerticalAlignment::center, 3,
                    {Text("10:00").accessibilityLabel("ten"),
                     Image(ImageSource::symbol("clock")).accessibilityLabel("clock"), Text("")})}));

}  // namespace
}  // namespace velto::toolkit
