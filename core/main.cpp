// Process entry point (placeholder until the engine object exists).
int main() { return 0; }
