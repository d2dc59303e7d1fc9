# Sourced first by the scripts: stop at the first failing command, work from
# the top of the source tree, and know which Wine this machine runs (wine.sh).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/wine.sh
