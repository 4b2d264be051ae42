// SnapshotJsonTests: being written.
