// UnicodeText: being written.
