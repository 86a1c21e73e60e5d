# What registering a build writes below a classes root, written here and nowhere else:
# the DLL's registration and its tests take it from the C++ table made of it, the MSIs
# from the WiX made of it. Each entry is WRITER|VIEW|KEY|NAME|DATA:
#   WRITER  dll: DllRegisterServer writes it; typelib: RegisterTypeLib does, from the
#           type library embedded in the DLL
#   VIEW    build: each build writes its own in its bitness's view of the classes root;
#           shared: one for both builds
#   NAME    @ for the key's default value
#   DATA    text as stored; <server> stands for the DLL's full path, <folder> for its
#           folder, and <platform> in a key for win32 or win64
set(universal_marshaler "{00020424-0000-0000-C000-000000000046}")
set(class "CLSID\\{${CORVASTEL_CLSID}}")
set(interface "Interface\\{${CORVASTEL_IID}}")
set(library "TypeLib\\{${CORVASTEL_LIBID}}\\${CORVASTEL_VERSION}")
set(CORVASTEL_REGISTRATION_LAYOUT
  "dll|build|${class}|@|${CORVASTEL_PROGID}"
  "dll|build|${class}\\InprocServer32|@|<server>"
  "dll|build|${class}\\InprocServer32|ThreadingModel|Apartment"
  "dll|build|${class}\\ProgID|@|${CORVASTEL_PROGID}"
  "dll|build|${class}\\TypeLib|@|{${CORVASTEL_LIBID}}"
  "dll|shared|${CORVASTEL_PROGID}|@|${CORVASTEL_PROGID}"
  "dll|shared|${CORVASTEL_PROGID}\\CLSID|@|{${CORVASTEL_CLSID}}"
  "typelib|build|${interface}|@|_clsRegistry"
  "typelib|build|${interface}\\ProxyStubClsid|@|${universal_marshaler}"
  "typelib|build|${interface}\\ProxyStubClsid32|@|${universal_marshaler}"
  "typelib|build|${interface}\\TypeLib|@|{${CORVASTEL_LIBID}}"
  "typelib|build|${interface}\\TypeLib|Version|${CORVASTEL_VERSION}"
  "typelib|build|${library}\\0\\<platform>|@|<server>"
  "typelib|shared|${library}|@|${CORVASTEL_LIBRARY_HELP}"
  "typelib|shared|${library}\\FLAGS|@|8"
  "typelib|shared|${library}\\HELPDIR|@|<folder>")

# corvastel_registration_entry(ENTRY WRITER VIEW KEY NAME DATA): the fields of one entry
# of the layout above, into the variables named.
function(corvastel_registration_entry entry writer view key name data)
  string(REPLACE "|" ";" fields "${entry}")
  foreach(field writer view key name data)
    list(POP_FRONT fields value)
    set(${${field}} "${value}" PARENT_SCOPE)
  endforeach()
endfunction()

unset(universal_marshaler)
unset(class)
unset(interface)
unset(library)
