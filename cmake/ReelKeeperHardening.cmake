# The hardening Debian builds its packages with (dpkg-buildflags, hardening=+all): a stack
# protector, stack clash protection, checked buffer functions, and relocations resolved at start
# and then made read-only (it costs the start no measurable time). Not with the sanitizers, which
# check more and want none of it in their way; the checked functions only where the code is
# optimised, as they require.
if(NOT REELKEEPER_SANITIZE)
  add_compile_options(-fstack-protector-strong -fstack-clash-protection
                      "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
