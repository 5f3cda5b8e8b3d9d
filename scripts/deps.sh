# Shared by ./run and ./test: the Debian packages the station needs, installed only when missing.
KDS_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libpng-dev libjpeg62-turbo-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libx11-dev
  libsane-dev sane-utils
  fonts-dejavu-core fonts-liberation
  imagemagick netpbm
  xvfb xauth openbox libxtst-dev xdotool
  libtiff-tools
)

kds_install_missing() {
  local missing=()
  local p
  for p in "${KDS_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

kds_jobs() {
  nproc 2>/dev/null || echo 2
}
