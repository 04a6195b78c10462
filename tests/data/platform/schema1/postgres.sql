--
-- PostgreSQL database dump
--


-- Dumped from database version 15.18 (Debian 15.18-0+deb12u1)
-- Dumped by pg_dump version 15.18 (Debian 15.18-0+deb12u1)

SET statement_timeout = 0;
SET lock_timeout = 0;
SET idle_in_transaction_session_timeout = 0;
SET client_encoding = 'UTF8';
SET standard_conforming_strings = on;
SELECT pg_catalog.set_config('search_path', '', false);
SET check_function_bodies = false;
SET xmloption = content;
SET client_min_messages = warning;
SET row_security = off;

SET default_tablespace = '';

SET default_table_access_method = heap;

--
-- Name: autonames; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.autonames (
    name text NOT NULL,
    issued_to bigint NOT NULL,
    used integer DEFAULT 0 NOT NULL
);


--
-- Name: checkins; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.checkins (
    id bigint NOT NULL,
    user_id bigint NOT NULL,
    created_at bigint NOT NULL,
    comment text NOT NULL
);


--
-- Name: checkins_id_seq; Type: SEQUENCE; Schema: public; Owner: -
--

CREATE SEQUENCE public.checkins_id_seq
    START WITH 1
    INCREMENT BY 1
    NO MINVALUE
    NO MAXVALUE
    CACHE 1;


--
-- Name: checkins_id_seq; Type: SEQUENCE OWNED BY; Schema: public; Owner: -
--

ALTER SEQUENCE public.checkins_id_seq OWNED BY public.checkins.id;


--
-- Name: content_chunks; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.content_chunks (
    sha256 text NOT NULL,
    seq bigint NOT NULL,
    data bytea NOT NULL
);


--
-- Name: contents; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.contents (
    sha256 text NOT NULL,
    size bigint NOT NULL
);


--
-- Name: counters; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.counters (
    name text NOT NULL,
    value bigint NOT NULL
);


--
-- Name: events; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.events (
    seq bigint NOT NULL,
    created_at bigint NOT NULL,
    kind text NOT NULL,
    space_id bigint NOT NULL,
    phid text NOT NULL,
    name text NOT NULL,
    title text NOT NULL,
    revision integer NOT NULL,
    modified bigint NOT NULL,
    user_login text NOT NULL,
    locked_by text NOT NULL,
    comment text NOT NULL
);


--
-- Name: events_seq_seq; Type: SEQUENCE; Schema: public; Owner: -
--

CREATE SEQUENCE public.events_seq_seq
    START WITH 1
    INCREMENT BY 1
    NO MINVALUE
    NO MAXVALUE
    CACHE 1;


--
-- Name: events_seq_seq; Type: SEQUENCE OWNED BY; Schema: public; Owner: -
--

ALTER SEQUENCE public.events_seq_seq OWNED BY public.events.seq;


--
-- Name: launcher_cookies; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.launcher_cookies (
    cookie_hash text NOT NULL,
    user_id bigint NOT NULL,
    expires_at bigint NOT NULL
);


--
-- Name: memberships; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.memberships (
    space_id bigint NOT NULL,
    user_id bigint NOT NULL,
    preferred integer DEFAULT 0 NOT NULL
);


--
-- Name: object_versions; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.object_versions (
    object_id bigint NOT NULL,
    revision integer NOT NULL,
    title text NOT NULL,
    modified bigint NOT NULL,
    user_id bigint NOT NULL,
    checkin_id bigint,
    sha256 text NOT NULL,
    size bigint NOT NULL
);


--
-- Name: object_writers; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.object_writers (
    object_id bigint NOT NULL,
    user_id bigint NOT NULL
);


--
-- Name: objects; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.objects (
    id bigint NOT NULL,
    phid text NOT NULL,
    name text NOT NULL,
    name_lc text NOT NULL,
    title text NOT NULL,
    title_lc text NOT NULL,
    type text NOT NULL,
    cadtype text NOT NULL,
    format text NOT NULL,
    revision integer NOT NULL,
    space_id bigint NOT NULL,
    owner_id bigint NOT NULL,
    locked_by bigint,
    modified bigint NOT NULL,
    sha256 text NOT NULL,
    size bigint NOT NULL
);


--
-- Name: objects_id_seq; Type: SEQUENCE; Schema: public; Owner: -
--

CREATE SEQUENCE public.objects_id_seq
    START WITH 1
    INCREMENT BY 1
    NO MINVALUE
    NO MAXVALUE
    CACHE 1;


--
-- Name: objects_id_seq; Type: SEQUENCE OWNED BY; Schema: public; Owner: -
--

ALTER SEQUENCE public.objects_id_seq OWNED BY public.objects.id;


--
-- Name: relations; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.relations (
    parent_id bigint NOT NULL,
    child_id bigint NOT NULL,
    kind text NOT NULL
);


--
-- Name: sessions; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.sessions (
    token_hash text NOT NULL,
    user_id bigint NOT NULL,
    tenant_id bigint NOT NULL,
    context_space_id bigint,
    created_at bigint NOT NULL,
    expires_at bigint NOT NULL
);


--
-- Name: sign_in_failures; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.sign_in_failures (
    key text NOT NULL,
    failures integer NOT NULL,
    last_at bigint NOT NULL
);


--
-- Name: spaces; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.spaces (
    id bigint NOT NULL,
    tenant_id bigint NOT NULL,
    name text NOT NULL
);


--
-- Name: spaces_id_seq; Type: SEQUENCE; Schema: public; Owner: -
--

CREATE SEQUENCE public.spaces_id_seq
    START WITH 1
    INCREMENT BY 1
    NO MINVALUE
    NO MAXVALUE
    CACHE 1;


--
-- Name: spaces_id_seq; Type: SEQUENCE OWNED BY; Schema: public; Owner: -
--

ALTER SEQUENCE public.spaces_id_seq OWNED BY public.spaces.id;


--
-- Name: tenants; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.tenants (
    id bigint NOT NULL,
    name text NOT NULL,
    is_default integer DEFAULT 0 NOT NULL
);


--
-- Name: tenants_id_seq; Type: SEQUENCE; Schema: public; Owner: -
--

CREATE SEQUENCE public.tenants_id_seq
    START WITH 1
    INCREMENT BY 1
    NO MINVALUE
    NO MAXVALUE
    CACHE 1;


--
-- Name: tenants_id_seq; Type: SEQUENCE OWNED BY; Schema: public; Owner: -
--

ALTER SEQUENCE public.tenants_id_seq OWNED BY public.tenants.id;


--
-- Name: upload_pieces; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.upload_pieces (
    upload_id text NOT NULL,
    start bigint NOT NULL,
    length bigint NOT NULL,
    data bytea NOT NULL
);


--
-- Name: uploads; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.uploads (
    id text NOT NULL,
    user_id bigint NOT NULL,
    size bigint NOT NULL,
    sha256 text NOT NULL,
    created_at bigint NOT NULL
);


--
-- Name: user_status; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.user_status (
    user_id bigint NOT NULL,
    disabled integer DEFAULT 0 NOT NULL,
    last_sign_in bigint
);


--
-- Name: users; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.users (
    id bigint NOT NULL,
    login text NOT NULL,
    first_name text NOT NULL,
    last_name text NOT NULL,
    email text NOT NULL,
    password_hash text NOT NULL,
    created_at bigint NOT NULL
);


--
-- Name: users_id_seq; Type: SEQUENCE; Schema: public; Owner: -
--

CREATE SEQUENCE public.users_id_seq
    START WITH 1
    INCREMENT BY 1
    NO MINVALUE
    NO MAXVALUE
    CACHE 1;


--
-- Name: users_id_seq; Type: SEQUENCE OWNED BY; Schema: public; Owner: -
--

ALTER SEQUENCE public.users_id_seq OWNED BY public.users.id;


--
-- Name: version_references; Type: TABLE; Schema: public; Owner: -
--

CREATE TABLE public.version_references (
    object_id bigint NOT NULL,
    revision integer NOT NULL,
    child_id bigint NOT NULL,
    child_revision integer NOT NULL
);


--
-- Name: checkins id; Type: DEFAULT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.checkins ALTER COLUMN id SET DEFAULT nextval('public.checkins_id_seq'::regclass);


--
-- Name: events seq; Type: DEFAULT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.events ALTER COLUMN seq SET DEFAULT nextval('public.events_seq_seq'::regclass);


--
-- Name: objects id; Type: DEFAULT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.objects ALTER COLUMN id SET DEFAULT nextval('public.objects_id_seq'::regclass);


--
-- Name: spaces id; Type: DEFAULT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.spaces ALTER COLUMN id SET DEFAULT nextval('public.spaces_id_seq'::regclass);


--
-- Name: tenants id; Type: DEFAULT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.tenants ALTER COLUMN id SET DEFAULT nextval('public.tenants_id_seq'::regclass);


--
-- Name: users id; Type: DEFAULT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.users ALTER COLUMN id SET DEFAULT nextval('public.users_id_seq'::regclass);


--
-- Data for Name: autonames; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.autonames (name, issued_to, used) FROM stdin;
AX000000001	1	1
AX000000002	1	1
AX000000003	1	0
AX000000004	1	0
\.


--
-- Data for Name: checkins; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.checkins (id, user_id, created_at, comment) FROM stdin;
1	1	1796738650	first issue
2	1	1796738651	second issue
\.


--
-- Data for Name: content_chunks; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.content_chunks (sha256, seq, data) FROM stdin;
e523a7cafb2bf45c05e5a0e0c193c63d437bafff1913ce9763e4886d0fdca9b3	0	\\x706c616e206279746573206f6e65
2a6927613ddc903379f3e02145f22074ccf048c7753cfa1ed8ee26c746682997	0	\\x70686f746f206279746573
c93c269744d70f25863538be8bc90b3aa17bd75ab522d1c3fe62dd152dff3a2a	0	\\x706c616e2062797465732074776f
\.


--
-- Data for Name: contents; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.contents (sha256, size) FROM stdin;
e523a7cafb2bf45c05e5a0e0c193c63d437bafff1913ce9763e4886d0fdca9b3	14
2a6927613ddc903379f3e02145f22074ccf048c7753cfa1ed8ee26c746682997	11
c93c269744d70f25863538be8bc90b3aa17bd75ab522d1c3fe62dd152dff3a2a	14
\.


--
-- Data for Name: counters; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.counters (name, value) FROM stdin;
autoname	4
\.


--
-- Data for Name: events; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.events (seq, created_at, kind, space_id, phid, name, title, revision, modified, user_login, locked_by, comment) FROM stdin;
1	1796738650	checkin	1	D6141F15A7CFB1B276CA2EEB6AB2DE21	AX000000001	plan.dxf	1	1796738650	ann		first issue
2	1796738650	checkin	1	7993D1D13550F77E72908EBBE404237C	AX000000002	site-photo.png	1	1796738650	ann		first issue
3	1796738651	checkin	1	D6141F15A7CFB1B276CA2EEB6AB2DE21	AX000000001	plan.dxf	2	1796738651	ann		second issue
4	1796738651	lock	1	7993D1D13550F77E72908EBBE404237C	AX000000002	site-photo.png	1	1796738650	bo	bo	
\.


--
-- Data for Name: launcher_cookies; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.launcher_cookies (cookie_hash, user_id, expires_at) FROM stdin;
7e1e3bf2781101eb0299e438f2cccd2193af1f680ffa1f277a3d9c120cf77df7	1	3796738647
\.


--
-- Data for Name: memberships; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.memberships (space_id, user_id, preferred) FROM stdin;
1	1	1
1	2	0
\.


--
-- Data for Name: object_versions; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.object_versions (object_id, revision, title, modified, user_id, checkin_id, sha256, size) FROM stdin;
1	1	plan.dxf	1796738650	1	1	e523a7cafb2bf45c05e5a0e0c193c63d437bafff1913ce9763e4886d0fdca9b3	14
2	1	site-photo.png	1796738650	1	1	2a6927613ddc903379f3e02145f22074ccf048c7753cfa1ed8ee26c746682997	11
1	2	plan.dxf	1796738651	1	2	c93c269744d70f25863538be8bc90b3aa17bd75ab522d1c3fe62dd152dff3a2a	14
\.


--
-- Data for Name: object_writers; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.object_writers (object_id, user_id) FROM stdin;
1	1
2	1
\.


--
-- Data for Name: objects; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.objects (id, phid, name, name_lc, title, title_lc, type, cadtype, format, revision, space_id, owner_id, locked_by, modified, sha256, size) FROM stdin;
1	D6141F15A7CFB1B276CA2EEB6AB2DE21	AX000000001	ax000000001	plan.dxf	plan.dxf	ACAD Drawing	assembly		2	1	1	\N	1796738651	c93c269744d70f25863538be8bc90b3aa17bd75ab522d1c3fe62dd152dff3a2a	14
2	7993D1D13550F77E72908EBBE404237C	AX000000002	ax000000002	site-photo.png	site-photo.png	ACAD Insert	insertedobject		1	1	1	2	1796738650	2a6927613ddc903379f3e02145f22074ccf048c7753cfa1ed8ee26c746682997	11
\.


--
-- Data for Name: relations; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.relations (parent_id, child_id, kind) FROM stdin;
1	2	CADSubcomponent
\.


--
-- Data for Name: sessions; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.sessions (token_hash, user_id, tenant_id, context_space_id, created_at, expires_at) FROM stdin;
2b7100a1917f95b89429a47b1e9f60f09e8a620e0542109822c4778c13163608	1	1	1	1796738649	3796738649
a989de486e79f4171bbb5dcf7896e1e2ac6bf4a0339e8aec4200ca29001215f2	2	1	1	1796738650	3796738650
\.


--
-- Data for Name: sign_in_failures; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.sign_in_failures (key, failures, last_at) FROM stdin;
\.


--
-- Data for Name: spaces; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.spaces (id, tenant_id, name) FROM stdin;
1	1	Site
\.


--
-- Data for Name: tenants; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.tenants (id, name, is_default) FROM stdin;
1	default	1
\.


--
-- Data for Name: upload_pieces; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.upload_pieces (upload_id, start, length, data) FROM stdin;
\.


--
-- Data for Name: uploads; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.uploads (id, user_id, size, sha256, created_at) FROM stdin;
\.


--
-- Data for Name: user_status; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.user_status (user_id, disabled, last_sign_in) FROM stdin;
\.


--
-- Data for Name: users; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.users (id, login, first_name, last_name, email, password_hash, created_at) FROM stdin;
1	ann	Ann	Old		$argon2id$v=19$m=65536,t=2,p=1$WIq50xbrD9Yr06PumAHHPQ$hFIIwnDHtsKXftGxddyHI6f3X4gX4UO2sRp1QP1GXK4	1796738647
2	bo				$argon2id$v=19$m=65536,t=2,p=1$IaYa8iH606dff8R62x6kIA$3AnaRD7zI67zVOSo7vBlzl8rJcjsS0mICjQRa/Vq/Vk	1796738647
\.


--
-- Data for Name: version_references; Type: TABLE DATA; Schema: public; Owner: -
--

COPY public.version_references (object_id, revision, child_id, child_revision) FROM stdin;
1	1	2	1
1	2	2	1
\.


--
-- Name: checkins_id_seq; Type: SEQUENCE SET; Schema: public; Owner: -
--

SELECT pg_catalog.setval('public.checkins_id_seq', 2, true);


--
-- Name: events_seq_seq; Type: SEQUENCE SET; Schema: public; Owner: -
--

SELECT pg_catalog.setval('public.events_seq_seq', 4, true);


--
-- Name: objects_id_seq; Type: SEQUENCE SET; Schema: public; Owner: -
--

SELECT pg_catalog.setval('public.objects_id_seq', 2, true);


--
-- Name: spaces_id_seq; Type: SEQUENCE SET; Schema: public; Owner: -
--

SELECT pg_catalog.setval('public.spaces_id_seq', 1, true);


--
-- Name: tenants_id_seq; Type: SEQUENCE SET; Schema: public; Owner: -
--

SELECT pg_catalog.setval('public.tenants_id_seq', 1, true);


--
-- Name: users_id_seq; Type: SEQUENCE SET; Schema: public; Owner: -
--

SELECT pg_catalog.setval('public.users_id_seq', 2, true);


--
-- Name: autonames autonames_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.autonames
    ADD CONSTRAINT autonames_pkey PRIMARY KEY (name);


--
-- Name: checkins checkins_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.checkins
    ADD CONSTRAINT checkins_pkey PRIMARY KEY (id);


--
-- Name: content_chunks content_chunks_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.content_chunks
    ADD CONSTRAINT content_chunks_pkey PRIMARY KEY (sha256, seq);


--
-- Name: contents contents_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.contents
    ADD CONSTRAINT contents_pkey PRIMARY KEY (sha256);


--
-- Name: counters counters_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.counters
    ADD CONSTRAINT counters_pkey PRIMARY KEY (name);


--
-- Name: events events_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.events
    ADD CONSTRAINT events_pkey PRIMARY KEY (seq);


--
-- Name: launcher_cookies launcher_cookies_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.launcher_cookies
    ADD CONSTRAINT launcher_cookies_pkey PRIMARY KEY (cookie_hash);


--
-- Name: memberships memberships_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.memberships
    ADD CONSTRAINT memberships_pkey PRIMARY KEY (space_id, user_id);


--
-- Name: object_versions object_versions_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.object_versions
    ADD CONSTRAINT object_versions_pkey PRIMARY KEY (object_id, revision);


--
-- Name: object_writers object_writers_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.object_writers
    ADD CONSTRAINT object_writers_pkey PRIMARY KEY (object_id);


--
-- Name: objects objects_name_key; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.objects
    ADD CONSTRAINT objects_name_key UNIQUE (name);


--
-- Name: objects objects_phid_key; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.objects
    ADD CONSTRAINT objects_phid_key UNIQUE (phid);


--
-- Name: objects objects_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.objects
    ADD CONSTRAINT objects_pkey PRIMARY KEY (id);


--
-- Name: relations relations_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.relations
    ADD CONSTRAINT relations_pkey PRIMARY KEY (parent_id, child_id, kind);


--
-- Name: sessions sessions_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.sessions
    ADD CONSTRAINT sessions_pkey PRIMARY KEY (token_hash);


--
-- Name: sign_in_failures sign_in_failures_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.sign_in_failures
    ADD CONSTRAINT sign_in_failures_pkey PRIMARY KEY (key);


--
-- Name: spaces spaces_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.spaces
    ADD CONSTRAINT spaces_pkey PRIMARY KEY (id);


--
-- Name: spaces spaces_tenant_id_name_key; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.spaces
    ADD CONSTRAINT spaces_tenant_id_name_key UNIQUE (tenant_id, name);


--
-- Name: tenants tenants_name_key; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.tenants
    ADD CONSTRAINT tenants_name_key UNIQUE (name);


--
-- Name: tenants tenants_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.tenants
    ADD CONSTRAINT tenants_pkey PRIMARY KEY (id);


--
-- Name: upload_pieces upload_pieces_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.upload_pieces
    ADD CONSTRAINT upload_pieces_pkey PRIMARY KEY (upload_id, start);


--
-- Name: uploads uploads_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.uploads
    ADD CONSTRAINT uploads_pkey PRIMARY KEY (id);


--
-- Name: user_status user_status_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.user_status
    ADD CONSTRAINT user_status_pkey PRIMARY KEY (user_id);


--
-- Name: users users_login_key; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.users
    ADD CONSTRAINT users_login_key UNIQUE (login);


--
-- Name: users users_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.users
    ADD CONSTRAINT users_pkey PRIMARY KEY (id);


--
-- Name: version_references version_references_pkey; Type: CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.version_references
    ADD CONSTRAINT version_references_pkey PRIMARY KEY (object_id, revision, child_id);


--
-- Name: events_created; Type: INDEX; Schema: public; Owner: -
--

CREATE INDEX events_created ON public.events USING btree (created_at);


--
-- Name: object_versions_sha; Type: INDEX; Schema: public; Owner: -
--

CREATE INDEX object_versions_sha ON public.object_versions USING btree (sha256);


--
-- Name: objects_sha; Type: INDEX; Schema: public; Owner: -
--

CREATE INDEX objects_sha ON public.objects USING btree (sha256);


--
-- Name: objects_space_type_title; Type: INDEX; Schema: public; Owner: -
--

CREATE INDEX objects_space_type_title ON public.objects USING btree (space_id, type, title_lc);


--
-- Name: objects_title; Type: INDEX; Schema: public; Owner: -
--

CREATE INDEX objects_title ON public.objects USING btree (title_lc);


--
-- Name: relations_child; Type: INDEX; Schema: public; Owner: -
--

CREATE INDEX relations_child ON public.relations USING btree (child_id);


--
-- Name: version_references_child; Type: INDEX; Schema: public; Owner: -
--

CREATE INDEX version_references_child ON public.version_references USING btree (child_id);


--
-- Name: autonames autonames_issued_to_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.autonames
    ADD CONSTRAINT autonames_issued_to_fkey FOREIGN KEY (issued_to) REFERENCES public.users(id);


--
-- Name: checkins checkins_user_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.checkins
    ADD CONSTRAINT checkins_user_id_fkey FOREIGN KEY (user_id) REFERENCES public.users(id);


--
-- Name: content_chunks content_chunks_sha256_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.content_chunks
    ADD CONSTRAINT content_chunks_sha256_fkey FOREIGN KEY (sha256) REFERENCES public.contents(sha256);


--
-- Name: launcher_cookies launcher_cookies_user_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.launcher_cookies
    ADD CONSTRAINT launcher_cookies_user_id_fkey FOREIGN KEY (user_id) REFERENCES public.users(id);


--
-- Name: memberships memberships_space_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.memberships
    ADD CONSTRAINT memberships_space_id_fkey FOREIGN KEY (space_id) REFERENCES public.spaces(id);


--
-- Name: memberships memberships_user_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.memberships
    ADD CONSTRAINT memberships_user_id_fkey FOREIGN KEY (user_id) REFERENCES public.users(id);


--
-- Name: object_versions object_versions_checkin_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.object_versions
    ADD CONSTRAINT object_versions_checkin_id_fkey FOREIGN KEY (checkin_id) REFERENCES public.checkins(id);


--
-- Name: object_versions object_versions_object_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.object_versions
    ADD CONSTRAINT object_versions_object_id_fkey FOREIGN KEY (object_id) REFERENCES public.objects(id);


--
-- Name: object_versions object_versions_sha256_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.object_versions
    ADD CONSTRAINT object_versions_sha256_fkey FOREIGN KEY (sha256) REFERENCES public.contents(sha256);


--
-- Name: object_versions object_versions_user_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.object_versions
    ADD CONSTRAINT object_versions_user_id_fkey FOREIGN KEY (user_id) REFERENCES public.users(id);


--
-- Name: object_writers object_writers_object_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.object_writers
    ADD CONSTRAINT object_writers_object_id_fkey FOREIGN KEY (object_id) REFERENCES public.objects(id);


--
-- Name: object_writers object_writers_user_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.object_writers
    ADD CONSTRAINT object_writers_user_id_fkey FOREIGN KEY (user_id) REFERENCES public.users(id);


--
-- Name: objects objects_locked_by_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.objects
    ADD CONSTRAINT objects_locked_by_fkey FOREIGN KEY (locked_by) REFERENCES public.users(id);


--
-- Name: objects objects_owner_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.objects
    ADD CONSTRAINT objects_owner_id_fkey FOREIGN KEY (owner_id) REFERENCES public.users(id);


--
-- Name: objects objects_sha256_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.objects
    ADD CONSTRAINT objects_sha256_fkey FOREIGN KEY (sha256) REFERENCES public.contents(sha256);


--
-- Name: objects objects_space_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.objects
    ADD CONSTRAINT objects_space_id_fkey FOREIGN KEY (space_id) REFERENCES public.spaces(id);


--
-- Name: relations relations_child_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.relations
    ADD CONSTRAINT relations_child_id_fkey FOREIGN KEY (child_id) REFERENCES public.objects(id);


--
-- Name: relations relations_parent_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.relations
    ADD CONSTRAINT relations_parent_id_fkey FOREIGN KEY (parent_id) REFERENCES public.objects(id);


--
-- Name: sessions sessions_tenant_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.sessions
    ADD CONSTRAINT sessions_tenant_id_fkey FOREIGN KEY (tenant_id) REFERENCES public.tenants(id);


--
-- Name: sessions sessions_user_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.sessions
    ADD CONSTRAINT sessions_user_id_fkey FOREIGN KEY (user_id) REFERENCES public.users(id);


--
-- Name: spaces spaces_tenant_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.spaces
    ADD CONSTRAINT spaces_tenant_id_fkey FOREIGN KEY (tenant_id) REFERENCES public.tenants(id);


--
-- Name: upload_pieces upload_pieces_upload_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.upload_pieces
    ADD CONSTRAINT upload_pieces_upload_id_fkey FOREIGN KEY (upload_id) REFERENCES public.uploads(id);


--
-- Name: uploads uploads_user_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.uploads
    ADD CONSTRAINT uploads_user_id_fkey FOREIGN KEY (user_id) REFERENCES public.users(id);


--
-- Name: user_status user_status_user_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.user_status
    ADD CONSTRAINT user_status_user_id_fkey FOREIGN KEY (user_id) REFERENCES public.users(id);


--
-- Name: version_references version_references_child_id_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.version_references
    ADD CONSTRAINT version_references_child_id_fkey FOREIGN KEY (child_id) REFERENCES public.objects(id);


--
-- Name: version_references version_references_object_id_revision_fkey; Type: FK CONSTRAINT; Schema: public; Owner: -
--

ALTER TABLE ONLY public.version_references
    ADD CONSTRAINT version_references_object_id_revision_fkey FOREIGN KEY (object_id, revision) REFERENCES public.object_versions(object_id, revision);


--
-- PostgreSQL database dump complete
--


