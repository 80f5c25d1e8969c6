// Does not include the shader's header, so a changed shader never rebuilds it.
int Unrelated() { return 0; }
