#include <cstdio>
int main() { std::puts("QorvEdit: the editor has no windows yet."); return 0; }
