-- datalength(bytea) for PostgreSQL: the length of a document in bytes, as
-- EqualBin's query and the SaveBin queries of the documentation use it.
-- Run once per database:  psql -d DATABASE -f postgres_datalength.sql
CREATE OR REPLACE FUNCTION datalength(bytea) RETURNS integer
  LANGUAGE sql IMMUTABLE STRICT
  AS 'SELECT octet_length($1)';
