// Starts and ends at once: the cost of loading the engine's libraries and
// nothing else (the same-run baseline of the start-up benchmark).

int main() {
    return 0;
}
