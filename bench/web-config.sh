# Sourced by the bench scripts that make a site: the site's Web.config, naming
# the database by the connection string given.
#   write_web_config SITE_FOLDER CONNECTION_STRING
write_web_config() {
  cat >"$1/Web.config" <<XML
<?xml version="1.0" encoding="utf-8"?>
<configuration><appSettings>
  <add key="ConnectionString" value="$2" />
</appSettings></configuration>
XML
}
