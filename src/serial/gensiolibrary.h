#pragma once

#include <gensio/gensio.h>
#include <gensio/gensio_os_funcs.h>
#include <gensio/gensio_os_funcs_public.h>
#include <gensio/sergensio.h>

// gensio's functions, loaded with the first port on another machine. Linked at build time, gensio and what
// it brings (Kerberos, SCTP, TCP wrappers) would be mapped and relocated at every start, for ports that most
// runs never use.
struct GensioLibrary
{
    decltype(&::gensio_default_os_hnd) gensio_default_os_hnd;
    decltype(&::gensio_os_funcs_set_vlog) gensio_os_funcs_set_vlog;
    decltype(&::gensio_os_funcs_alloc_waiter) gensio_os_funcs_alloc_waiter;
    decltype(&::gensio_os_funcs_alloc_runner) gensio_os_funcs_alloc_runner;
    decltype(&::gensio_os_funcs_free_runner) gensio_os_funcs_free_runner;
    decltype(&::gensio_os_funcs_free_waiter) gensio_os_funcs_free_waiter;
    decltype(&::gensio_os_funcs_free) gensio_os_funcs_free;
    decltype(&::gensio_os_funcs_run) gensio_os_funcs_run;
    decltype(&::gensio_os_funcs_wake) gensio_os_funcs_wake;
    decltype(&::gensio_os_funcs_wait_intr_sigmask) gensio_os_funcs_wait_intr_sigmask;
    decltype(&::gensio_os_proc_setup) gensio_os_proc_setup;
    decltype(&::gensio_os_proc_cleanup) gensio_os_proc_cleanup;
    decltype(&::gensio_os_proc_unix_get_wait_sigset) gensio_os_proc_unix_get_wait_sigset;
    decltype(&::str_to_gensio) str_to_gensio;
    decltype(&::gensio_open) gensio_open;
    decltype(&::gensio_close) gensio_close;
    decltype(&::gensio_free) gensio_free;
    decltype(&::gensio_set_read_callback_enable) gensio_set_read_callback_enable;
    decltype(&::gensio_to_sergensio) gensio_to_sergensio;
    decltype(&::sergensio_baud) sergensio_baud;
    decltype(&::sergensio_datasize) sergensio_datasize;
    decltype(&::sergensio_parity) sergensio_parity;
    decltype(&::sergensio_stopbits) sergensio_stopbits;
    decltype(&::sergensio_dtr) sergensio_dtr;
    decltype(&::sergensio_rts) sergensio_rts;
};

// Loaded once for the rest of the run; null where the libraries or one of the functions are missing.
const GensioLibrary *gensioLibrary();
