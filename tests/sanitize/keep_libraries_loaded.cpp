// Linked into every executable of the sanitizer build only.
//
// Libraries that the toolkit and the GL stack unload at exit (plugins, the software GL driver)
// would leave their leak reports with addresses in no loaded module: no symbol, no module name,
// nothing a suppression can match. Keeping them mapped lets the leak report name the library,
// so third-party leaks are suppressed by name and ours still show in full.
extern "C" int dlclose(void* /*handle*/) noexcept {
    return 0;
}
