// SnapshotValidation: being written.
