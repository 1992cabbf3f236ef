# Sourced by the demo and the end-to-end runs: a session bus of their own, so
# the registration never reaches the user's own dictionary application.
#
#   start_private_bus <folder>
#
# listens on <folder>/bus, starts services from <folder>/services, exports
# DBUS_SESSION_BUS_ADDRESS and sets private_bus_pid.
start_private_bus() {
  local dir=$1
  mkdir -p "$dir/services"
  cat > "$dir/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$dir/bus</listen>
  <servicedir>$dir/services</servicedir>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
  rm -f "$dir/bus.address"
  dbus-daemon --config-file="$dir/bus.conf" --nofork --print-address=3 3>"$dir/bus.address" 2>"$dir/bus.log" &
  private_bus_pid=$!
  for _ in $(seq 100); do [ -s "$dir/bus.address" ] && break; sleep 0.05; done
  DBUS_SESSION_BUS_ADDRESS=$(head -1 "$dir/bus.address")
  export DBUS_SESSION_BUS_ADDRESS
  [ -n "$DBUS_SESSION_BUS_ADDRESS" ] || { echo "the private bus did not start" >&2; return 1; }
}
