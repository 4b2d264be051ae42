// UnicodeTextTests: being written.
