// The floor of the console benchmark: a console program of ours that starts
// and ends at once, built as ShuBiaoCmd is (static runtime, console subsystem).
int wmain() { return 0; }
