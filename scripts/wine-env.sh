# Sourced by the test and run scripts: a Wine prefix of our own under the build folder,
# an Xvfb display, and a Simplified Chinese locale for tests that need ANSI code page
# 936. Exports WINEPREFIX, WINEARCH, WINEDEBUG, WINEDLLOVERRIDES, DISPLAY and
# QUORVELL_ZH_LOCPATH; `wine_env_stop` ends what it started.
#   QUORVELL_WINE_ROOT  folder for the prefix and the locale (default: build/wine)

wine_root=${QUORVELL_WINE_ROOT:-$(pwd)/build/wine}
mkdir -p "$wine_root"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="$wine_root/prefix"

# The zh_CN locale for Wine's ANSI code page 936 (no root needed).
export QUORVELL_ZH_LOCPATH="$wine_root/locale"
if [ ! -d "$QUORVELL_ZH_LOCPATH/zh_CN.UTF-8" ]; then
  mkdir -p "$QUORVELL_ZH_LOCPATH"
  localedef -i zh_CN -f UTF-8 "$QUORVELL_ZH_LOCPATH/zh_CN.UTF-8" >/dev/null 2>&1 || true
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-env: creating the Wine prefix"
  env -u DISPLAY wineboot -i >/dev/null 2>&1 || true
  cat >"$wine_root/settings.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="Y"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="WenQuanYi Micro Hei"
"宋体"="WenQuanYi Micro Hei"
"NSimSun"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"
"MS Shell Dlg"="WenQuanYi Micro Hei"
"MS Shell Dlg 2"="WenQuanYi Micro Hei"
"Tahoma"="WenQuanYi Micro Hei"
REG
  iconv -f UTF-8 -t UTF-16LE "$wine_root/settings.reg" | { printf '\xff\xfe'; cat; } >"$wine_root/settings-utf16.reg"
  env -u DISPLAY wine regedit /S "$wine_root/settings-utf16.reg" >/dev/null 2>&1 || true
  wineserver -w || true
fi

# Caption buttons need Marlett; only that one font is taken from Wine's own fonts (its
# Tahoma would override the replacement above).
if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -e "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi

# A display of our own.
if [ -z "${QUORVELL_KEEP_DISPLAY:-}" ]; then
  for n in $(seq 91 130); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
      QUORVELL_XVFB_PID=$!
      export DISPLAY=":$n"
      for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      break
    fi
  done
fi

# Keep the wine server up for the whole run: each program then starts quickly.
wineserver -p >/dev/null 2>&1 || true
wine wineboot >/dev/null 2>&1 || true

wine_env_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${QUORVELL_XVFB_PID:-}" ]; then
    kill "$QUORVELL_XVFB_PID" 2>/dev/null || true
    wait "$QUORVELL_XVFB_PID" 2>/dev/null || true
  fi
}
