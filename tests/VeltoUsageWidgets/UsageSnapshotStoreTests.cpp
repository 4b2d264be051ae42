// UsageSnapshotStoreTests: being written.
