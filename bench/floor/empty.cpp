// The least any program can cost to start and end.
int main() { return 0; }
