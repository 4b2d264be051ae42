// UsageSnapshotStore: being written.
