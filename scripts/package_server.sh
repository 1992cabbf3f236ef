# Sourced by the demo and the end-to-end runs: a package server on
# 127.0.0.1 (nginx) that also answers as the download service.
#
#   start_package_server <folder> <port> <package MiB> <rate, 0 = unlimited> [<more>]
#
# serves <folder>/www/packages/dict.zip (random bytes) and, for the download
# service's question, the address of that package; <more> goes into the
# server's block as it stands (further locations). Sets package_server_pid.
start_package_server() {
  local dir=$1 port=$2 mib=$3 rate=$4 more=${5:-}
  mkdir -p "$dir/www/packages" "$dir/nginx"
  head -c $((mib * 1024 * 1024)) /dev/urandom > "$dir/www/packages/dict.zip"
  cat > "$dir/nginx/nginx.conf" <<CONF
daemon off;
master_process off;
pid $dir/nginx/nginx.pid;
error_log $dir/nginx/error.log;
events {}
http {
  access_log $dir/nginx/access.log;
  client_body_temp_path $dir/nginx;
  proxy_temp_path $dir/nginx;
  fastcgi_temp_path $dir/nginx;
  uwsgi_temp_path $dir/nginx;
  scgi_temp_path $dir/nginx;
  server {
    listen 127.0.0.1:$port default_server;
    root $dir/www;
    location /ZI2009_zor_oza/dict.php {
      default_type text/plain;
      return 200 "http://127.0.0.1:$port/packages/dict.zip";
    }
    location /packages/ { limit_rate $rate; }
$more
  }
}
CONF
  # A user's PATH may lack /usr/sbin, where Debian puts it.
  local nginx
  nginx=$(command -v nginx || echo /usr/sbin/nginx)
  "$nginx" -p "$dir/nginx" -c "$dir/nginx/nginx.conf" &
  package_server_pid=$!
  for _ in $(seq 100); do
    curl -s -o /dev/null --noproxy '*' "http://127.0.0.1:$port/" && return 0
    sleep 0.05
  done
  echo "the package server did not start" >&2
  return 1
}
