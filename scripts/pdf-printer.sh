# Sourced by test.sh: a private CUPS with one PDF printer (CUPS-PDF), for the
# test that prints through Wine. Its own cupsd listens only on a socket in a
# temporary folder, so nothing else on the machine sees the printer; Wine's
# printing finds it through CUPS_SERVER. CUPS-PDF writes to ~/PDF of the user
# who prints. When anything is missing the printing test says so and skips.

LUMO_CUPS_PID=
LUMO_CUPS_DIR=

# Starts the cupsd, adds the default printer "PDF" and exports CUPS_SERVER.
pdf_printer_ready() {
  local ppd
  ppd=$(dpkg -L printer-driver-cups-pdf 2>/dev/null | grep 'CUPS-PDF_opt\.ppd$' | head -n 1)
  if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null || [ -z "$ppd" ] \
     || [ ! -e /usr/lib/cups/backend/cups-pdf ]; then
    echo "pdf printer: CUPS or CUPS-PDF is missing; the printing test will skip" >&2
    return 0
  fi
  LUMO_CUPS_DIR=$(mktemp -d /tmp/lumo-cups.XXXXXX)
  local d=$LUMO_CUPS_DIR
  mkdir -p "$d/spool" "$d/cache" "$d/state" "$d/log" "$d/tmp"
  cat >"$d/cupsd.conf" <<EOF
Listen $d/cups.sock
Browsing No
WebInterface No
LogLevel warn
DefaultAuthType Basic
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  cat >"$d/cups-files.conf" <<EOF
ServerRoot $d
StateDir $d/state
CacheDir $d/cache
RequestRoot $d/spool
TempDir $d/tmp
ErrorLog $d/log/error_log
AccessLog $d/log/access_log
PageLog $d/log/page_log
SystemGroup root
FileDevice No
EOF
  cupsd -f -c "$d/cupsd.conf" -s "$d/cups-files.conf" >"$d/log/cupsd.out" 2>&1 &
  LUMO_CUPS_PID=$!
  export CUPS_SERVER="$d/cups.sock"
  local _
  for _ in $(seq 1 50); do [ -S "$CUPS_SERVER" ] && break; sleep 0.1; done
  if lpadmin -p PDF -v cups-pdf:/ -E -P "$ppd" >/dev/null 2>&1 && lpadmin -d PDF >/dev/null 2>&1; then
    return 0
  fi
  echo "pdf printer: could not be set up (see $d/log); the printing test will skip" >&2
  stop_pdf_printer
  return 0
}

stop_pdf_printer() {
  if [ -n "$LUMO_CUPS_PID" ]; then
    kill "$LUMO_CUPS_PID" 2>/dev/null || true
    wait "$LUMO_CUPS_PID" 2>/dev/null || true
  fi
  [ -n "$LUMO_CUPS_DIR" ] && rm -rf "$LUMO_CUPS_DIR"
  LUMO_CUPS_PID=
  LUMO_CUPS_DIR=
  unset CUPS_SERVER
}
