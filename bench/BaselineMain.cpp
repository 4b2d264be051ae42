// velto-baseline: does nothing, linked against every library velto-widget loads, so that starting it costs
// what starting any program of ours costs; the process figures are quoted against it.
int main() { return 0; }
