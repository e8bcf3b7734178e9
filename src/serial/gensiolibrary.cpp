#include "gensiolibrary.h"

#include <dlfcn.h>
#include <memory>

namespace {

std::unique_ptr<GensioLibrary> load()
{
    void *const handles[] = {::dlopen("libgensio.so.4", RTLD_NOW | RTLD_GLOBAL),
                             ::dlopen("libgensioosh.so.4", RTLD_NOW | RTLD_GLOBAL)};
    if (!handles[0] || !handles[1])
        return nullptr;
    auto library = std::make_unique<GensioLibrary>();
    bool found = true;
    const auto resolve = [&](auto &function, const char *name) {
        void *address = ::dlsym(handles[0], name);
        if (!address)
            address = ::dlsym(handles[1], name);
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(address);
        found = found && function;
    };
#define KALVANE_RESOLVE(name) resolve(library->name, #name)
    KALVANE_RESOLVE(gensio_default_os_hnd);
    KALVANE_RESOLVE(gensio_os_funcs_set_vlog);
    KALVANE_RESOLVE(gensio_os_funcs_alloc_waiter);
    KALVANE_RESOLVE(gensio_os_funcs_alloc_runner);
    KALVANE_RESOLVE(gensio_os_funcs_free_runner);
    KALVANE_RESOLVE(gensio_os_funcs_free_waiter);
    KALVANE_RESOLVE(gensio_os_funcs_free);
    KALVANE_RESOLVE(gensio_os_funcs_run);
    KALVANE_RESOLVE(gensio_os_funcs_wake);
    KALVANE_RESOLVE(gensio_os_funcs_wait_intr_sigmask);
    KALVANE_RESOLVE(gensio_os_proc_setup);
    KALVANE_RESOLVE(gensio_os_proc_cleanup);
    KALVANE_RESOLVE(gensio_os_proc_unix_get_wait_sigset);
    KALVANE_RESOLVE(str_to_gensio);
    KALVANE_RESOLVE(gensio_open);
    KALVANE_RESOLVE(gensio_close);
    KALVANE_RESOLVE(gensio_free);
    KALVANE_RESOLVE(gensio_set_read_callback_enable);
    KALVANE_RESOLVE(gensio_to_sergensio);
    KALVANE_RESOLVE(sergensio_baud);
    KALVANE_RESOLVE(sergensio_datasize);
    KALVANE_RESOLVE(sergensio_parity);
    KALVANE_RESOLVE(sergensio_stopbits);
    KALVANE_RESOLVE(sergensio_dtr);
    KALVANE_RESOLVE(sergensio_rts);
#undef KALVANE_RESOLVE
    return found ? std::move(library) : nullptr;
}

} // namespace

const GensioLibrary *gensioLibrary()
{
    static const std::unique_ptr<GensioLibrary> library = load();
    return library.get();
}
