# The common start of the end-to-end scripts (sourced; not a test itself):
# the host and library from the arguments, this folder, a failure helper,
# and a scratch folder removed at exit.
set -u
HOST=$1
LIB=$2
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
