// UsageWidgetSnapshot: being written.
