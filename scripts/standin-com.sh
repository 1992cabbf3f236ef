# Sourced on the Windows ground: registers the stand-in dictionary
# application (vantel.exe, a local COM server) in the Wine prefix, as the
# dictionary application's installer would register itself: its two classes
# (started by COM with the given options), the two interfaces with the type
# library's marshaler, and the type library.
#
#   standin_com_register <vantel.exe> <Tarnwick.tlb> [option ...]
#   standin_com_unregister
#
# The options are the stand-in's own (--record FILE, --silent): COM starts
# "vantel.exe --serve app|config <options> -Embedding" when a class is asked
# for and nothing serves it.
standin_com_clsid_app='{9C4CE1E5-9767-4604-AA32-616B7F7525B9}'
standin_com_clsid_config='{2F5B095F-CBB1-4840-BD79-88189DF4C42B}'
standin_com_iid_app='{9953CEC5-7D67-4171-B565-B30A0F968FF0}'
standin_com_iid_config='{0C8253A3-4B7E-4AE3-9680-D8F83AFC3F7E}'
standin_com_libid='{D2E7301D-396D-4FC4-9473-187FE8D3B5A6}'
standin_com_marshaler='{00020424-0000-0000-C000-000000000046}'

# A Windows path of this machine's file (drive Z: is its root), as a .reg
# file writes it.
standin_com_path() { local p="Z:$1"; p=${p//\//\\}; echo "${p//\\/\\\\}"; }

standin_com_import() {
  local reg
  reg=$(mktemp --suffix=.reg)
  { printf 'REGEDIT4\n\n'; cat; } >"$reg"
  TMPDIR=${WINE_SERVER_TMPDIR:-/tmp} "${WINE:-wine}" regedit /S "$(standin_com_path "$reg" | sed 's/\\\\/\\/g')" \
    </dev/null >/dev/null 2>&1
  local status=$?
  rm -f "$reg"
  return $status
}

standin_com_register() {
  local server tlb options=() arg
  server=$(standin_com_path "$(realpath "$1")")
  tlb=$(standin_com_path "$(realpath "$2")")
  shift 2
  for arg in "$@"; do
    [[ $arg == /* ]] && arg="\\\"$(standin_com_path "$arg")\\\""
    options+=("$arg")
  done
  standin_com_import <<REG
[HKEY_CLASSES_ROOT\\CLSID\\$standin_com_clsid_app]
@="Tarnwick dictionary application"
[HKEY_CLASSES_ROOT\\CLSID\\$standin_com_clsid_app\\LocalServer32]
@="\\"$server\\" --serve app ${options[*]}"
[HKEY_CLASSES_ROOT\\CLSID\\$standin_com_clsid_config]
@="Tarnwick dictionary configuration"
[HKEY_CLASSES_ROOT\\CLSID\\$standin_com_clsid_config\\LocalServer32]
@="\\"$server\\" --serve config ${options[*]}"
[HKEY_CLASSES_ROOT\\Interface\\$standin_com_iid_app]
@="IDictAppControl"
[HKEY_CLASSES_ROOT\\Interface\\$standin_com_iid_app\\ProxyStubClsid32]
@="$standin_com_marshaler"
[HKEY_CLASSES_ROOT\\Interface\\$standin_com_iid_app\\TypeLib]
@="$standin_com_libid"
"Version"="1.0"
[HKEY_CLASSES_ROOT\\Interface\\$standin_com_iid_config]
@="IDictConfig"
[HKEY_CLASSES_ROOT\\Interface\\$standin_com_iid_config\\ProxyStubClsid32]
@="$standin_com_marshaler"
[HKEY_CLASSES_ROOT\\Interface\\$standin_com_iid_config\\TypeLib]
@="$standin_com_libid"
"Version"="1.0"
[HKEY_CLASSES_ROOT\\TypeLib\\$standin_com_libid\\1.0]
@="TarnwickDict"
[HKEY_CLASSES_ROOT\\TypeLib\\$standin_com_libid\\1.0\\0\\win32]
@="$tlb"
[HKEY_CLASSES_ROOT\\TypeLib\\$standin_com_libid\\1.0\\FLAGS]
@="0"
REG
}

standin_com_unregister() {
  standin_com_import <<REG
[-HKEY_CLASSES_ROOT\\CLSID\\$standin_com_clsid_app]
[-HKEY_CLASSES_ROOT\\CLSID\\$standin_com_clsid_config]
[-HKEY_CLASSES_ROOT\\Interface\\$standin_com_iid_app]
[-HKEY_CLASSES_ROOT\\Interface\\$standin_com_iid_config]
[-HKEY_CLASSES_ROOT\\TypeLib\\$standin_com_libid]
REG
}
