#!/usr/bin/env bash
# Makes a certificate authority and a server certificate signed by it, for a demo or a test of
# the application server over TLS. Not for production: the authority's key sits unprotected
# next to the certificates.
#
#   tools/make-test-certs.sh DIR [NAME_OR_IP]...
#
# DIR receives ca.pem (give it to the hosts: --tls-ca), ca.key, server.pem and server.key
# (give them to the server: --tls-cert, --tls-key). Keys are ECDSA P-256: a handshake costs a
# fraction of an RSA one. The server certificate is valid for
# localhost and 127.0.0.1 plus each NAME_OR_IP given (the names the hosts connect to).
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "uso: $0 PASTA [NOME_OU_IP]..." >&2
  exit 2
fi
dir=$1
shift
mkdir -p "$dir"
umask 077

san="DNS:localhost,IP:127.0.0.1"
for name in "$@"; do
  if [[ $name =~ ^[0-9.]+$ || $name == *:* ]]; then san+=",IP:$name"; else san+=",DNS:$name"; fi
done

openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 825 -sha256 \
  -subj "/CN=ATE02700 demo CA" -keyout "$dir/ca.key" -out "$dir/ca.pem" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -sha256 -subj "/CN=${1:-localhost}" \
  -keyout "$dir/server.key" -out "$dir/server.csr" 2>/dev/null
cat > "$dir/server.ext" <<EXT
basicConstraints=CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=$san
EXT
openssl x509 -req -in "$dir/server.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" -CAcreateserial \
  -days 825 -sha256 -extfile "$dir/server.ext" -out "$dir/server.pem" 2>/dev/null
rm -f "$dir/server.csr" "$dir/server.ext" "$dir/ca.srl"
chmod 644 "$dir/ca.pem" "$dir/server.pem"
echo "$dir/ca.pem $dir/server.pem $dir/server.key"
