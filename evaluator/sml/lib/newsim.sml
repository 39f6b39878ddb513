(* The newer simulator's side of the evaluator: tolq's field-list requests
 * of classes 100 (bootstrap), 200 (run options and seed), 400 (the net,
 * checked page by page), 500 (instances, markings, enabling, runs,
 * reports) and 600 (charts). The net is kept here by ML numbers; every
 * place, arc, guard and transition is compiled into a function of its
 * own, and the markings live in cells keyed by place and page instance. *)
structure TolqNewSim =
struct
  structure T = TolqText
  structure E = TolqEdit

  (* A request that does not follow the layout tolq sends. *)
  exception Layout of string

  type fields = TolqLink.fields

  (* ---- the three sequences of a request, read front to back ---- *)

  type cursor = {ints : int list ref, strings : string list ref, shorts : int list ref}

  fun next (r : 'a list ref, what) =
      case !r of x :: rest => (r := rest; x) | [] => raise Layout ("missing " ^ what)
  fun int (c : cursor) = next (#ints c, "integer")
  fun str (c : cursor) = next (#strings c, "string")
  fun short (c : cursor) = next (#shorts c, "short")
  (* A count taken from a request; never more than the fields it sends. *)
  fun count (c : cursor) =
      let val n = int c
      in if n < 0 orelse n > TolqLink.maxFields then raise Layout "count out of range" else n end
  fun times (n, f) = List.tabulate (n, fn _ => f ())

  (* ---- replies ---- *)

  fun reply (ints, shorts, strings) : fields = {shorts = shorts, ints = 1 :: ints, strings = strings}
  val ok : fields = reply ([], [], [])
  val failed : fields = {shorts = [], ints = [0], strings = []}

  (* ---- the net ---- *)

  type place = {number : string, page : string, name : string, cs : string, fusion : string}
  type transition = {number : string, page : string, name : string, inputs : string list,
                     outputs : string list}
  type substitution = {number : string, page : string, name : string, subpage : string,
                       pairs : (string * string) list}
  type page = {number : string, name : string, instances : int, prime : bool}

  val pages : page list ref = ref []          (* in the order they were checked *)
  val places : place list ref = ref []
  val transitions : transition list ref = ref []
  val substitutions : substitution list ref = ref []
  (* fusion set number -> its type (1 global, 2 page, 3 instance) *)
  val fusionKinds : (string * int) list ref = ref []

  fun find (l : 'a list ref) (key : 'a -> string) n = List.find (fn x => key x = n) (!l)
  fun findPage n = find pages #number n
  fun findPlace n = find places #number n
  fun findTransition n = find transitions #number n
  fun replace (l : 'a list ref) (key : 'a -> string) (x : 'a) =
      l := List.filter (fn y => key y <> key x) (!l) ^^ [x]

  (* ---- markings ---- *)

  (* The compiled functions of a place, whatever its colour set. *)
  type placeOps = {create : string -> unit, text : string -> string, size : string -> int,
                   setChecked : string -> bool}
  type binding = {text : string, fire : unit -> unit}

  val placeCode : (string * placeOps) list ref = ref []
  val transitionCode : (string * ((string -> string) -> binding list)) list ref = ref []

  (* The marking cells: one per key, each a typed ref behind a universal. *)
  val cells : (string * Universal.universal) list ref = ref []

  fun cellValue key = Option.map #2 (List.find (fn (k, _) => k = key) (!cells))

  (* The cell of the key, of the type the tag names. *)
  fun cell (tag : 'a Universal.tag, key : string) : 'a =
      case cellValue key of
        SOME u => (Universal.tagProject tag u
                   handle Match => raise Tolq.Error ("The marking " ^ key ^ " is of another color set."))
      | NONE => raise Tolq.Error ("No marking for " ^ key ^ ".")

  (* The last marking text checked against a colour set (request 400/3),
   * which a change of marking puts on a place. *)
  val checkedMarking : (string * Universal.universal) option ref = ref NONE

  (* Used by the code compiled for each place. *)
  fun placeOps (cs : string, tag : 'a ms ref Universal.tag, init : unit -> 'a ms, show : 'a ms -> string)
      : placeOps =
      {create = fn key => cells := List.filter (fn (k, _) => k <> key) (!cells)
                                   ^^ [(key, Universal.tagInject tag (ref (init ())))],
       text = fn key => show (! (cell (tag, key))),
       size = fn key => TolqMS.size (! (cell (tag, key))),
       setChecked = fn key =>
         case !checkedMarking of
           SOME (c, u) => c = cs andalso
                          (((cell (tag, key)) := !(Universal.tagProject tag u); true) handle Match => false)
         | NONE => false}

  fun remember (cs : string, tag : 'a ms ref Universal.tag, m : 'a ms) =
      checkedMarking := SOME (cs, Universal.tagInject tag (ref m))

  (* The distinct token values of a marking. *)
  fun values (m : 'a ms) : 'a list = map #1 (TolqMS.pairs m)

  (* ---- options ---- *)

  val timeKind = ref ""
  val startTime = ref ""
  val codeFile = ref ""
  val untilStep : int option ref = ref NONE
  val addSteps : int option ref = ref NONE
  val step = ref 0
  val modelTime = ref (0 : IntInf.int)
  val barCharts : string list ref = ref []
  val lineCharts : string list ref = ref []
  val chartUpdates : string list ref = ref []

  fun number s = case Int.fromString (T.trim s) of SOME n => SOME n | NONE => NONE

  (* ---- compiling ---- *)

  (* Keeps the generated code in the file of "-savecode". *)
  fun save text =
      if !codeFile = "" then ()
      else let val out = TextIO.openAppend (!codeFile)
           in TextIO.output (out, text ^ "\n"); TextIO.closeOut out end
           handle IO.Io _ => ()

  (* NONE when text compiled, else the compiler's message. *)
  fun compile (text : string) : string option =
      case E.attempt text of
        NONE => (save text; NONE)
      | SOME (out, e) => SOME (case T.trim out of "" => exnMessage e | m => m)

  (* The first of the texts that compiles, or the first one's message. *)
  fun compileFirst (texts : string list) : string option =
      let fun go ([], first) = first
            | go (t :: rest, first) =
                case compile t of
                  NONE => NONE
                | SOME m => go (rest, if isSome first then first else SOME m)
      in go (texts, NONE) end

  val tagged : string list ref = ref []

  fun knownColourSet cs = E.knownColourSet cs

  (* The marking tag of a colour set, declared on first use. *)
  fun ensureTag (cs : string) : string option =
      if List.exists (fn c => c = cs) (!tagged) then NONE
      else if not (T.isIdent cs) orelse not (knownColourSet cs) then SOME (cs ^ " is not a declared color set.")
      else (case E.knownColourSet cs andalso
                 List.exists (fn (r : {name : string, timed : bool}) => #name r = cs andalso #timed r)
                             (!E.colourTable) of
              true => SOME ("The timed color set " ^ cs ^ " cannot be simulated here.")
            | false =>
                case compile ("val TOLQ'NSTag'" ^ cs ^ " : " ^ cs ^ " ms ref Universal.tag = Universal.tag ();") of
                  NONE => (tagged := cs :: !tagged; NONE)
                | e => e)

  fun marking (n : string, cs : string, init : string) : string option =
      let val body = if T.trim init = "" then ["empty"] else ["(" ^ init ^ ")", "1`(" ^ init ^ ")"]
          fun form b = "fun TOLQ'NSIM" ^ n ^ " () : " ^ cs ^ " ms = TOLQ'legal_ms'" ^ cs ^ " (" ^ b ^ ");"
      in case compileFirst (map form body) of
           SOME m => SOME m
         | NONE =>
             compile ("val _ = TOLQ'NSIM" ^ n ^ " ();\nval () = TolqNewSim.placeCode := List.filter (fn (k, _) => k <> \""
                      ^ n ^ "\") (!TolqNewSim.placeCode) ^^ [(\"" ^ n ^ "\", TolqNewSim.placeOps (\"" ^ cs
                      ^ "\", TOLQ'NSTag'" ^ cs ^ ", TOLQ'NSIM" ^ n ^ ", mkst_ms'" ^ cs ^ "))];")
      end

  (* Checks a new place: its colour set and initial marking. *)
  fun checkPlace (p : place, init : string) : string option =
      if not (T.isIdent (#number p)) andalso not (CharVector.all Char.isDigit (#number p))
      then SOME "Bad ML number."
      else case ensureTag (#cs p) of
             SOME m => SOME m
           | NONE => marking (#number p, #cs p, init)

  (* ---- transitions ---- *)

  type arc = {number : string, place : string, expr : string}

  fun idsOf text = T.dedup (T.valueIds (T.tokens text)) handle T.Lex _ => []

  (* The transition's variables: declared (non-multiset) variables that its
   * guard or arcs use, with their colour sets. *)
  fun variablesOf (texts : string list) : (string * string) list =
      let val ids = T.dedup (List.concat (map idsOf texts))
      in List.mapPartial (fn v => case E.findVar v of
                                    SOME {cs, ms = false, ...} => SOME (v, cs)
                                  | _ => NONE) ids
      end

  fun commas l = String.concatWith ", " l
  fun pattern [] = "()"
    | pattern [(v, cs)] = "(" ^ v ^ " : " ^ cs ^ ")"
    | pattern vs = "(" ^ commas (map (fn (v, cs) => v ^ " : " ^ cs) vs) ^ ")"
  fun tuple [] = "()"
    | tuple [(v, _)] = v
    | tuple vs = "(" ^ commas (map #1 vs) ^ ")"

  fun arcFunction (vars, a : arc, cs : string) : string option =
      let fun form b = "fun TOLQ'NSA" ^ #number a ^ " " ^ pattern vars ^ " : " ^ cs ^ " ms = " ^ b ^ ";"
      in if T.trim (#expr a) = "" then compile (form "empty")
         else compileFirst [form ("(" ^ #expr a ^ ")"), form ("1`(" ^ #expr a ^ ")")]
      end

  fun guardFunction (vars, t : string, guard : string) : string option =
      let fun form b = "fun TOLQ'NSG" ^ t ^ " " ^ pattern vars ^ " : bool = " ^ b ^ ";"
      in if T.trim guard = "" then compile (form "true")
         else compileFirst [form ("TOLQ'BLTB (" ^ guard ^ ")"), form ("(" ^ guard ^ ")")]
      end

  (* Where the values of a variable come from: the tokens of an input arc
   * whose expression is the variable alone (or n`variable), else every
   * value of its colour set. *)
  fun candidates (v : string, cs : string, inputs : (int * arc) list) : string =
      let fun alone (_, a : arc) =
              case map #text (T.tokens (#expr a)) handle T.Lex _ => [] of
                [w] => w = v
              | [n, "`", w] => w = v andalso CharVector.all Char.isDigit n
              | _ => false
      in case List.find alone inputs of
           SOME (i, _) => "TolqNewSim.values (!TOLQ'i" ^ Int.toString i ^ ")"
         | NONE => cs ^ ".values ()"
      end

  fun bindingCode (t : string, vars, inputs : (int * arc) list, outputs : (int * arc) list, css) : string =
      let fun csOf (a : arc) = #2 (valOf (List.find (fn (p, _) => p = #place a) css))
          fun cellDecl prefix (i, a : arc) =
              "      val TOLQ'" ^ prefix ^ Int.toString i ^ " = TolqNewSim.cell (TOLQ'NSTag'" ^ csOf a
              ^ ", TOLQ'key \"" ^ #place a ^ "\")\n"
          fun enough (i, a : arc) =
              " andalso TolqMS.leq (TOLQ'NSA" ^ #number a ^ " TOLQ'b, !TOLQ'i" ^ Int.toString i ^ ")"
          fun take (i, a : arc) =
              "TOLQ'i" ^ Int.toString i ^ " := TolqMS.sub (!TOLQ'i" ^ Int.toString i ^ ", TOLQ'NSA" ^ #number a ^ " TOLQ'b); "
          fun give (i, a : arc) =
              "TOLQ'o" ^ Int.toString i ^ " := TolqMS.sum (!TOLQ'o" ^ Int.toString i ^ ", TOLQ'NSA" ^ #number a ^ " TOLQ'b); "
          val shown = "[" ^ commas (map (fn (v, cs) => "\"" ^ v ^ " = \" ^ mkst_col'" ^ cs ^ " " ^ v) vars) ^ "]"
          fun loops [] = "TOLQ'try " ^ tuple vars
            | loops ((v, cs) :: rest) =
                "List.concat (map (fn " ^ v ^ " => " ^ loops rest ^ ") (" ^ candidates (v, cs, inputs) ^ "))"
      in String.concat
           ["val () = TolqNewSim.transitionCode := List.filter (fn (k, _) => k <> \"", t,
            "\") (!TolqNewSim.transitionCode) ^^ [(\"", t, "\", fn (TOLQ'key : string -> string) =>\n",
            "  let\n", String.concat (map (cellDecl "i") inputs), String.concat (map (cellDecl "o") outputs),
            "      fun TOLQ'try (TOLQ'b as ", tuple vars, ") =\n",
            "        (if TOLQ'NSG", t, " TOLQ'b", String.concat (map enough inputs), "\n",
            "         then [{text = String.concatWith \", \" ", shown, ",\n",
            "                fire = fn () => (", String.concat (map take inputs), String.concat (map give outputs), "())}]\n",
            "         else [])\n",
            "        handle TOLQ'e as Thread.Thread.Interrupt => raise TOLQ'e | _ => []\n",
            "  in ", loops vars, " end)];"]
      end

  (* Checks and compiles a transition; its errors by record number. An arc
   * both ways takes its tokens and gives them back. *)
  fun checkTransition (t : string, name : string, guard : string, inputs : arc list, outputs : arc list,
                       both : arc list) : (string * string) list =
      let val arcs = inputs ^^ outputs ^^ both
          val css = List.mapPartial (fn (a : arc) => Option.map (fn p => (#place a, #cs p)) (findPlace (#place a))) arcs
          val missing = List.filter (fn (a : arc) => not (isSome (findPlace (#place a)))) arcs
          val vars = variablesOf (guard :: map #expr arcs)
          fun csOf (a : arc) = #2 (valOf (List.find (fn (p, _) => p = #place a) css))
          val arcErrors =
              (* a place the check refused already carries its error *)
              if not (null missing) then [(t, "")]
              else List.mapPartial (fn a => Option.map (fn m => (#number a, m)) (arcFunction (vars, a, csOf a))) arcs
          val guardErrors =
              if null arcErrors then
                case guardFunction (vars, t, guard) of SOME m => [(t, m)] | NONE => []
              else []
          fun numbered l = ListPair.zip (List.tabulate (length l, fn i => i + 1), l)
          val codeErrors =
              if null arcErrors andalso null guardErrors then
                case compile (bindingCode (t, vars, numbered (inputs ^^ both), numbered (outputs ^^ both), css)) of
                  SOME m => [(t, "The transition " ^ name ^ " cannot be simulated:\n" ^ m)]
                | NONE => []
              else []
          val errors = arcErrors ^^ guardErrors ^^ codeErrors
      in (* an arc's error keeps its transition unchecked too *)
         if null errors orelse List.exists (fn (n, _) => n = t) errors then errors else errors ^^ [(t, "")]
      end

  (* ---- requests ---- *)

  (* A whole integer text (an optional sign, then digits only); NONE for
   * anything else, so "2.5" is not read as 2. *)
  fun integerText (text : string) : IntInf.int option =
      let val t = T.trim text
          val digits = if size t > 0 andalso (String.sub (t, 0) = #"~" orelse String.sub (t, 0) = #"-")
                       then String.extract (t, 1, NONE) else t
      in if size digits > 0 andalso CharVector.all Char.isDigit digits
         then Option.map (fn n => if digits = t then n else IntInf.~ n) (IntInf.fromString digits)
         else NONE
      end

  (* The model start time: tolq sends it as the expression
   * "IntInf.fromInt(<n>)"; a bare number is taken as well, anything else is 0. *)
  fun startValue (text : string) : IntInf.int =
      let val t = T.trim text
          val prefix = "IntInf.fromInt("
          val inner =
              if String.isPrefix prefix t andalso String.isSuffix ")" t
              then String.substring (t, size prefix, size t - size prefix - 1)
              else t
      in getOpt (integerText inner, 0) end

  fun bootstrap (c : cursor) =
      let val kind = str c
          val start = str c
          val file = str c
      in timeKind := kind; startTime := start; codeFile := file;
         modelTime := startValue start;
         ok
      end

  fun runOptions (c : cursor) =
      let val _ = times (7, fn () => short c)
          val texts = times (4, fn () => str c)
      in untilStep := number (List.nth (texts, 0)); addSteps := number (List.nth (texts, 1)); ok end

  fun seed (c : cursor) =
      let val text = str c
      in case number text of SOME s => TolqRandom.setSeed s | NONE => (); ok end

  fun startCheck () =
      (pages := []; places := []; transitions := []; substitutions := []; fusionKinds := [];
       placeCode := []; transitionCode := []; cells := []; tagged := []; checkedMarking := NONE;
       ok)

  (* One page (400/2): the page, references to its checked records, new
   * places, new fusion members, substitution transitions and transitions
   * with their arcs. Each sequence is read in the order tolq added to it. *)
  fun checkPage (c : cursor) =
      let val number = str c
          val name = str c
          val instances = int c
          val prime = short c <> 0
          val errors = ref []
          fun err (n, m) = errors := !errors ^^ [(n, m)]
          val () = replace pages #number {number = number, name = name, instances = instances, prime = prime}
          fun counted () = let val n = count c in times (n, fn () => str c) end
          val _ = counted ()   (* places already checked *)
          val _ = counted ()   (* transitions already checked *)
          fun newPlace fusion () =
              let val n = str c
                  val fusion = if fusion then str c else ""
                  val pname = str c
                  val cs = str c
                  val init = str c
                  val p = {number = n, page = number, name = pname, cs = cs, fusion = fusion}
                  val clash = fusion <> "" andalso
                              List.exists (fn (q : place) => #fusion q = fusion andalso #cs q <> cs) (!places)
              in if clash then err (n, "The members of a fusion set must have the same color set.")
                 else case checkPlace (p, init) of
                        SOME m => err (n, m)
                      | NONE => replace places #number p
              end
          val () = ignore (times (count c, newPlace false))
          val () = ignore (times (count c, newPlace true))
          fun substitution () =
              let val n = str c
                  val sname = str c
                  val sub = str c
                  val pairs = times (count c, fn () => let val socket = str c in (socket, str c) end)
              in replace substitutions #number {number = n, page = number, name = sname, subpage = sub, pairs = pairs}
              end
          val () = ignore (times (count c, substitution))
          fun arcs () = times (count c, fn () => let val n = str c val p = str c in {number = n, place = p, expr = str c} end)
          fun transition () =
              let val n = str c
                  val tname = str c
                  val guard = str c
                  val _ = str c   (* time *)
                  val _ = str c   (* code *)
                  val inputs = arcs ()
                  val outputs = arcs ()
                  val both = arcs ()
                  val errs = checkTransition (n, tname, guard, inputs, outputs, both)
              in List.app err errs;
                 if null errs then replace transitions #number
                                     {number = n, page = number, name = tname,
                                      inputs = map #place (inputs ^^ both), outputs = map #place (outputs ^^ both)}
                 else ()
              end
          val () = ignore (times (count c, transition))
      in reply ([length (!errors)], [], List.concat (map (fn (n, m) => [n, m]) (!errors))) end

  (* ---- page instances ---- *)

  type instance = {page : string, k : int, super : (string * string * int) option}
  val instances : instance list ref = ref []

  fun instanceId (page, k) = page ^ "#" ^ Int.toString k

  (* The pages, every page after the pages whose substitutions use it. *)
  fun pageOrder () : page list =
      let fun usedBy (p : page) = List.filter (fn (s : substitution) => #subpage s = #number p) (!substitutions)
          fun ready done (p : page) =
              List.all (fn (s : substitution) => List.exists (fn (q : page) => #number q = #page s) done) (usedBy p)
          fun go (done, []) = rev done
            | go (done, rest) =
                case List.partition (ready done) rest of
                  ([], stuck) => rev done ^^ stuck    (* a cycle: the check refuses these *)
                | (now, later) => go (List.revAppend (now, done), later)
      in go ([], !pages) end

  fun makeInstances () =
      let val made = ref []
          fun of' page = List.filter (fn (i : instance) => #page i = page) (!made)
          fun add (page, super) = made := !made ^^ [{page = page, k = length (of' page) + 1, super = super}]
          fun build (p : page) =
              (if #prime p then List.app (fn _ => add (#number p, NONE)) (List.tabulate (#instances p, fn i => i)) else ();
               List.app (fn (s : substitution) =>
                            if #subpage s = #number p then
                              List.app (fn (i : instance) => add (#number p, SOME (#page s, #number s, #k i))) (of' (#page s))
                            else ())
                        (!substitutions))
      in List.app build (pageOrder ()); instances := !made end

  fun findInstance (page, k) = List.find (fn (i : instance) => #page i = page andalso #k i = k) (!instances)

  (* The cell of a place in an instance: the fusion set's, the socket's
   * for a port of a subpage instance, else its own. *)
  fun placeKey (p : string, inst : instance) : string =
      let val own = "P" ^ p ^ "@" ^ instanceId (#page inst, #k inst)
          fun socketOf (g, t, j) =
              case List.find (fn (s : substitution) => #number s = t) (!substitutions) of
                NONE => NONE
              | SOME s => case (List.find (fn (_, port) => port = p) (#pairs s), findInstance (g, j)) of
                            (SOME (socket, _), SOME superInst) => SOME (placeKey (socket, superInst))
                          | _ => NONE
      in case findPlace p of
           NONE => own
         | SOME place =>
             if #fusion place <> "" then "F" ^ #fusion place
             else case Option.mapPartial socketOf (#super inst) of SOME key => key | NONE => own
      end

  fun opsOf p = Option.map #2 (List.find (fn (k, _) => k = p) (!placeCode))

  (* Every cell holds its place's initial marking again. *)
  fun resetMarkings () =
      (cells := [];
       List.app (fn (inst : instance) =>
                    List.app (fn (p : place) =>
                                 if #page p <> #page inst then ()
                                 else let val key = placeKey (#number p, inst)
                                      in if isSome (cellValue key) orelse
                                            (String.isPrefix "P" key andalso not (String.isSuffix ("@" ^ instanceId (#page inst, #k inst)) key))
                                         then ()
                                         else case opsOf (#number p) of SOME ops => #create ops key | NONE => ()
                                      end)
                             (!places))
                (!instances))

  fun createInstances () =
      let val () = makeInstances ()
          val order = List.filter (fn (p : page) => true) (pageOrder ())
          fun ofPage (p : page) = List.filter (fn (i : instance) => #page i = #number p) (!instances)
          val ints = length order :: List.concat (map (fn p => length (ofPage p) :: List.mapPartial (fn (i : instance) => Option.map #3 (#super i)) (ofPage p)) order)
          val shorts = List.concat (map (fn p => map (fn (i : instance) => if isSome (#super i) then 1 else 0) (ofPage p)) order)
          val strings = List.concat (map (fn (p : page) => #number p :: List.concat (map (fn (i : instance) => case #super i of SOME (g, t, _) => [g, t] | NONE => []) (ofPage p))) order)
      in resetMarkings (); reply (ints, shorts, strings) end

  (* ---- the state ---- *)

  fun bindingsOf (t : transition, inst : instance) : binding list =
      case List.find (fn (k, _) => k = #number t) (!transitionCode) of
        NONE => []
      | SOME (_, code) => code (fn p => placeKey (p, inst)) handle Tolq.Error _ => []

  fun instanceOf (c : cursor, page : string) : instance option =
      let val _ = int c
          val k = int c
      in findInstance (page, k) end

  fun pageOfPlace n = Option.map #page (findPlace n)

  fun withPlace (c : cursor) (f : placeOps * string -> fields) : fields =
      let val one = int c
          val k = int c
          val n = str c
      in ignore one;
         case (findPlace n, opsOf n) of
           (SOME p, SOME ops) =>
             (case findInstance (#page p, k) of
                SOME inst => (f (ops, placeKey (n, inst)) handle Tolq.Error _ => failed)
              | NONE => failed)
         | _ => failed
      end

  fun markingText c = withPlace c (fn (ops, key) => reply ([#size ops key], [], [#text ops key]))
  fun tokenCount c = withPlace c (fn (ops, key) => reply ([#size ops key], [], []))

  fun changeMarking (c : cursor) =
      let val flag = short c
      in withPlace c (fn (ops, key) =>
                         if flag <> 0 then (if #setChecked ops key then ok else failed)
                         else (#create ops key; ok))
      end

  fun enabling (c : cursor) =
      let val one = int c
          val k = int c
          val n = str c
      in ignore one;
         case findTransition n of
           SOME t => (case findInstance (#page t, k) of
                        SOME inst => reply ([], [if null (bindingsOf (t, inst)) then 0 else 1], [])
                      | NONE => failed)
         | NONE => failed
      end

  (* 400/3: the verdict on a marking text for a colour set, 1 legal. *)
  fun checkMarking (c : cursor) =
      let val text = str c
          val cs = str c
          val () = checkedMarking := NONE
          fun form b = "val () = TolqNewSim.remember (\"" ^ cs ^ "\", TOLQ'NSTag'" ^ cs ^ ", TOLQ'legal_ms'" ^ cs ^ " (" ^ b ^ "));"
          val verdict =
              case ensureTag cs of
                SOME _ => 0
              | NONE => if T.trim text = "" then 0
                        else if isSome (compileFirst [form ("(" ^ text ^ ")"), form ("1`(" ^ text ^ ")")]) then 0
                        else 1
      in reply ([], [verdict], []) end

  fun changeTime (c : cursor) =
      case integerText (str c) of
        SOME t => (modelTime := t; ok)
      | NONE => failed

  fun resetState () = (step := 0; modelTime := startValue (!startTime);
                       resetMarkings (); ok)

  (* ---- the automatic run ---- *)

  fun pageName p = case findPage p of SOME (q : page) => #name q | NONE => p

  (* Fires one binding of a transition instance chosen at random among the
   * enabled ones; false when nothing is enabled. *)
  fun fireOne () : bool =
      let val candidates =
              List.concat (map (fn (inst : instance) =>
                                   List.mapPartial (fn (t : transition) => if #page t = #page inst then SOME (t, inst) else NONE)
                                                   (!transitions))
                               (!instances))
          fun try [] = false
            | try ((t : transition, inst : instance) :: rest) =
                case bindingsOf (t, inst) of
                  [] => try rest
                | bs => let val b = TolqRandom.pick bs
                        in #fire b ();
                           step := !step + 1;
                           TolqReport.add (String.concat ["Step ", Int.toString (!step), ": ", #name t, " (instance ",
                                                          Int.toString (#k inst), " of ", pageName (#page t), ") ",
                                                          "<", #text b, ">\n"]);
                           true
                        end
      in try (TolqBind.shuffle candidates) end

  fun run () =
      let val first = !step
          fun stop () =
              (case !addSteps of SOME n => !step - first >= n | NONE => false)
              orelse (case !untilStep of SOME n => !step >= n | NONE => false)
          fun loop () =
              if Tolq.Stop.requested () then (Tolq.Stop.clear (); "The simulation was stopped.")
              else if stop () then "The stop criterion was met."
              else if fireOne () then loop ()
              else "There are no more enabled transitions."
          val message = loop ()
      in reply ([], [], [Int.toString (!step), IntInf.toString (!modelTime), message]) end

  fun saveReport (c : cursor) =
      let val path = str c
          val out = TextIO.openOut path
      in (TextIO.output (out, TolqReport.text ()); TextIO.closeOut out; ok)
         handle IO.Io _ => (TextIO.closeOut out handle IO.Io _ => (); failed)
      end
      handle IO.Io _ => failed

  (* ---- charts ---- *)

  fun chartsToUpdate (c : cursor) = (chartUpdates := !(#strings c); #strings c := []; ok)
  fun allCharts (c : cursor) =
      let val nb = count c
          val bars = times (nb, fn () => str c)
          val nl = count c
          val lines = times (nl, fn () => str c)
      in barCharts := bars; lineCharts := lines; ok end

  (* ---- dispatch ---- *)

  fun serve ({shorts, ints, strings} : fields) : fields =
      let fun cursor rest = {ints = ref rest, strings = ref strings, shorts = ref shorts} : cursor
      in case ints of
           100 :: rest => bootstrap (cursor rest)
         | cls :: code :: rest =>
             let val c = cursor rest
             in case (cls, code) of
                  (200, 10) => runOptions c
                | (200, 11) => seed c
                | (400, 1) => startCheck ()
                | (400, 2) => checkPage c
                | (400, 3) => checkMarking c
                | (500, 1) => createInstances ()
                | (500, 11) => run ()
                | (500, 21) => resetState ()
                | (500, 22) => changeMarking c
                | (500, 23) => changeTime c
                | (500, 31) => markingText c
                | (500, 32) => tokenCount c
                | (500, 35) => enabling c
                | (500, 41) => saveReport c
                | (500, 42) => (TolqReport.clear (); ok)
                | (600, 1) => chartsToUpdate c
                | (600, 2) => allCharts c
                | _ => (TolqLink.note ("unknown request " ^ Int.toString cls ^ "/" ^ Int.toString code); failed)
             end
         | _ => raise Layout "no class"
      end

  val previous = !TolqLink.fieldServer
  val () = Tolq.Fields.serve
             (fn (r as {ints = cls :: _, ...}) =>
                 if List.exists (fn k => k = cls) [100, 200, 400, 500, 600] then serve r else previous r
               | r => previous r)
end

