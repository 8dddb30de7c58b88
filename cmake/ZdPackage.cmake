# The Debian package zorikadesk, made by `cpack` in the build folder (tools/zd.sh package).
#
# Depends: the shared libraries the program links, found by dpkg-shlibdeps, and what it loads
# at run time without linking it: the embedded Firebird engine, which the client library
# loads as a plugin; the Japanese fonts the windows and printouts use; Qt's Japanese
# translations; the hicolor theme that the menu icon belongs to. Qt's X11 platform plugin
# comes with libqt6gui6, which the linked libraries bring.
#
# The package has no maintainer scripts: it never touches the database and settings in the
# users' homes, so an upgrade keeps them and removal leaves them.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorikadesk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_CONTACT "${ZD_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sales slips and customer register for a small shop")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
ZorikaDesk writes and keeps the sales slips of a small Japanese shop:
delivery notes, invoices and receipts of up to seven item lines, totalled
with consumption tax. It keeps the customer register, looks up addresses by
postal code in Japan Post's KEN_ALL.CSV, and prints slips on KOKUYO
preprinted forms, on a 210 x 148 mm page with a preview, and addresses on
envelopes. Every user keeps a database of their own, run by the embedded
Firebird engine: no server is needed.

ゾリカデスクは、小さなお店の納品書・請求書・受領書を作成して保存します。
7行までの品目の金額と消費税を計算し、お客様名簿を管理し、日本郵便の
KEN_ALL.CSV で郵便番号と住所を探します。コクヨの連続伝票、プレビュー
付きの 210 × 148 mm の用紙、長形4号封筒に印刷できます。データは利用者
ごとのデータベースに保存され、サーバーは要りません。]=])

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "firebird3.0-server-core, fonts-ipafont, fonts-ipaexfont, fonts-aoyagi-kouzan-t, qt6-translations-l10n, hicolor-icon-theme")
# Wayland desktops run it natively with qt6-wayland (else through XWayland); typing Japanese
# needs an input method.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fcitx5-mozc | ibus-mozc, cups")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
