// A loadable library without the panel export, for the host's missing-export check.
extern "C" __attribute__((visibility("default"))) int panel_host_not_a_panel() {
    return 0;
}
