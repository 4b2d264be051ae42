// TextRulesTests: being written.
