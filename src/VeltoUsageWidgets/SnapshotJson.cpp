// SnapshotJson: being written.
