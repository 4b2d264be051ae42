// BundleTests: being written.
