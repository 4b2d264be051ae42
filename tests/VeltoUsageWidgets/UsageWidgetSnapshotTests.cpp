// UsageWidgetSnapshotTests: being written.
