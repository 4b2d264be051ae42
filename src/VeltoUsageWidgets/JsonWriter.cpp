// JsonWriter: being written.
