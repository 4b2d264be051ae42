// SnapshotValidationTests: being written.
