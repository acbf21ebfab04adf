// Compiled once per probe target with PROBE_HEADER naming one header: a probe of a module and a
// header it may use must compile, a probe of a header from a module it must not see must not.
#include PROBE_HEADER

int LayeringProbe() {
    return 0;
}
