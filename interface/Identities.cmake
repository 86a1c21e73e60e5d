# Corvastel's identities, written here and nowhere else: the IDL, the resources, the
# manifest, the C++ code and the tests' scripts take them from these. Hosts are compiled
# against them: never change them.
set(CORVASTEL_LIBID E0F7AAE7-5561-4C3F-BD2E-CEA943F921DE)
set(CORVASTEL_CLSID 6A7247F0-7113-4F01-B29C-00B6AA268166)
set(CORVASTEL_IID 46A34E6F-0AA7-48F3-8E8D-4A8CBB236904)
set(CORVASTEL_PROGID Corvastel.clsRegistry)
# The MSIs' upgrade codes, one per package: a later version of a package replaces it.
set(CORVASTEL_MSI_UPGRADE_CODE_x64 60E8E1F4-7159-4E0B-8DD5-230C2C1EFB16)
set(CORVASTEL_MSI_UPGRADE_CODE_x86 89949849-A328-4B79-AD34-1ED8B36001E2)
set(CORVASTEL_VERSION_MAJOR 2)
set(CORVASTEL_VERSION_MINOR 0)
set(CORVASTEL_VERSION ${CORVASTEL_VERSION_MAJOR}.${CORVASTEL_VERSION_MINOR})
# The type library's help string: what VBA's References dialog lists it as, and so the
# default value of its registry key.
set(CORVASTEL_LIBRARY_HELP "Corvastel ${CORVASTEL_VERSION}: create, test, read and delete registry keys and values")
# Who publishes it, as the files' version information and Add/Remove Programs show it.
set(CORVASTEL_PUBLISHER "Corvastel Team")
set(CORVASTEL_COPYRIGHT "Copyright (C) 2026 Corvastel Team")
set(CORVASTEL_URL "https://github.com/corvastel/corvastel")

# The identities as the check scripts read them from their environment.
set(CORVASTEL_IDENTITY_ENVIRONMENT
  "CORVASTEL_LIBID={${CORVASTEL_LIBID}}" "CORVASTEL_CLSID={${CORVASTEL_CLSID}}" "CORVASTEL_IID={${CORVASTEL_IID}}"
  "CORVASTEL_PROGID=${CORVASTEL_PROGID}" "CORVASTEL_VERSION=${CORVASTEL_VERSION}")
