// TextRules: being written.
