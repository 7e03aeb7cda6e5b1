// A program that is never run: the installation tests read the version resource it is linked with.
int main() { return 0; }
