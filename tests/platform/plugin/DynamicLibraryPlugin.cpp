// A tiny shared object that the dynamic-library tests load by name.
extern "C" int QvPluginAdd(int a, int b) {
    return a + b;
}

extern "C" const char* QvPluginName() {
    return "plugin";
}
