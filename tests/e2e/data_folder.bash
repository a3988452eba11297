# Sourced by the scripts that run the data kit's game: a work folder of the script's own, made the
# current folder and removed when the script ends, holding the grey-box data set in data/ (the loose
# files under data/Data and the pack data/data.ch3).
work_dir=$(mktemp -d)
trap 'rm -rf "$work_dir"' EXIT
cd "$work_dir"
"$BUILD_DIR/tools/datakit" build data >/dev/null
