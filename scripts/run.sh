#!/usr/bin/env bash
# Starts the system from the application directory given as $1.
set -euo pipefail
dist=${1:?application directory}
echo "Application directory: $dist"
find "$dist" -maxdepth 2 | sed "s|^$dist|  .|" | sort
