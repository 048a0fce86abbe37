// PLACEHOLDER until start-up and the frame loop land.
int main() { return 0; }
