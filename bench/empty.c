/* The floor of the whole-process benchmark: starting a process at all. */
int main(void) { return 0; }
